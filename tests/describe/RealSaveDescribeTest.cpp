#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "describe/ClStatement.h"
#include "describe/CommandSource.h"
#include "describe/LogicalFileFields.h"
#include "describe/LogicalFileReader.h"
#include "describe/MessageFileReader.h"
#include "describe/ObjectDescriber.h"
#include "describe/ProgramReader.h"
#include "savefile/BigEndianReader.h"
#include "savefile/CatalogTree.h"
#include "savefile/DecodingFailure.h"
#include "savefile/SaveFileReader.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/RealFiles.h"
#include "tests/support/RecordingNotifier.h"
#include "views/FileFacts.h"
#include "views/MemoryContentList.h"
#include "views/NodeContentDisplay.h"
#include "views/ViewSession.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

constexpr int kMemberLevel = 3;
constexpr int kSourceTextCell = 2;

class NoTarget final : public NodeContentTarget {
  public:
    void refreshTitle() override {}
    void setNodeTitle(const std::string&) override {}
    void setNodeSummary(const std::string&) override {}
    void enableExport(bool) override {}
    void enableBatch(bool) override {}
    void showVersion() override {}
};

struct OpenedFile {
    explicit OpenedFile(const fs::path& path) {
        catalog.path = path.string();
        SaveFileReader reader(catalog, converter, notifier);
        parsed = reader.parseSaveFile(catalog.path).accepted;
        buildCatalogTree(catalog);
    }

    // Position of the object named `name` of type `typeCode`: part and index.
    std::optional<ObjectRef> find(const std::string& name, std::uint16_t typeCode) const {
        for (std::size_t p = 0; p < catalog.parts.size(); ++p) {
            const SavedLibrary& library = catalog.parts[p].library;
            for (std::int32_t i = 0;
                 i < library.objectCount && i < static_cast<std::int32_t>(library.objects.size()); ++i) {
                const SavedObject& o = library.objects[static_cast<std::size_t>(i)];
                if (o.name == name && o.typeCode == typeCode) {
                    return ObjectRef{static_cast<std::int32_t>(p), i};
                }
            }
        }
        return std::nullopt;
    }

    std::vector<std::string> sourceLines(const std::string& file, const std::string& member) {
        std::optional<ObjectRef> ref = find(file, 0x1901);
        if (!ref) {
            return {};
        }
        const SavedObject& object = *catalog.findObject(*ref);
        for (std::size_t m = 0; m < object.members.size(); ++m) {
            if (object.members[m].name == member) {
                NoTarget target;
                showNodeContent(
                    session, target,
                    NodePosition{kMemberLevel, static_cast<std::int32_t>(m), ref->object, ref->part});
                std::vector<std::string> lines;
                for (std::int64_t r = 0; r < list.rowCount(); ++r) {
                    lines.emplace_back(list.cellText(r, std::min(kSourceTextCell, list.cellCount(r) - 1)));
                }
                return lines;
            }
        }
        return {};
    }

    ObjectDescription describe(const SavedObject& object) {
        std::unique_ptr<BlockSource> source = session.openSaveFile();
        return ObjectDescriber::describe(*source, catalog, object, converter);
    }

    Catalog catalog;
    Cp037Converter converter;
    RecordingNotifier notifier;
    MemoryContentList list;
    ViewSession session{catalog, converter, notifier, list};
    bool parsed = false;
};

// A value as CL compares it: blanks outside quotes collapsed, names in upper case, quotes
// dropped around each literal that needs none.
std::string normalized(const std::string& value) {
    std::string out;
    std::string token;
    bool quoted = false;
    auto flush = [&]() {
        if (token.size() > 2 && token.front() == '\'' && token.back() == '\'' &&
            token.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789*", 1) == token.size() - 1) {
            token = token.substr(1, token.size() - 2);
        }
        out += token;
        token.clear();
    };
    for (char c : value) {
        if (c == '\'') {
            quoted = !quoted;
        }
        if (!quoted && (c == ' ' || c == '(' || c == ')')) {
            flush();
            if (c != ' ' || (!out.empty() && out.back() != ' ' && out.back() != '(')) {
                out += c;
            }
            continue;
        }
        token += quoted ? c : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    flush();
    while (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    return out;
}

// The keywords of a PARM, QUAL or ELEM statement with the values CRTCMD would take for those
// not given left out, so that a keyword written at its default compares equal to one omitted.
std::map<std::string, std::string> elements(const ClStatement& statement) {
    static const std::map<std::string, std::string> kDefaults = {
        {"MIN", "0"},         {"MAX", "1"},       {"RSTD", "*NO"},      {"EXPR", "*NO"},
        {"VARY", "*NO"},      {"CASE", "*MONO"},  {"DSPINPUT", "*YES"}, {"PMTCTL", "*NONE"},
        {"ALWUNPRT", "*YES"}, {"ALWVAR", "*YES"}, {"FULL", "*NO"},      {"PASSATR", "*NO"},
    };
    static const std::map<std::string, std::string> kLengths = {
        {"*NAME", "10"}, {"*CHAR", "32"}, {"*PNAME", "32"}, {"*DEC", "15 5"}};
    std::map<std::string, std::string> out;
    for (const auto& [keyword, value] : statement.parameters) {
        out[keyword] = normalized(value);
    }
    for (const auto& [keyword, value] : kDefaults) {
        if (out.count(keyword) != 0 && out[keyword] == value) {
            out.erase(keyword);
        }
    }
    auto type = out.find("TYPE");
    // LEN(4) of a *DEC parameter is LEN(4 0).
    if (type != out.end() && type->second == "*DEC" && out.count("LEN") != 0 &&
        out["LEN"].find(' ') == std::string::npos) {
        out["LEN"] += " 0";
    }
    if (type != out.end() && out.count("LEN") != 0 && kLengths.count(type->second) != 0 &&
        kLengths.at(type->second) == out["LEN"]) {
        out.erase("LEN");
    }
    return out;
}

// Every command of a real save rebuilt from its stored definition equals the command source
// saved beside it, statement by statement and keyword by keyword.
TEST(RealSaveDescribe, CommandsEqualTheirSource) {
    fs::path path = fs::path(QUELVANE_SAVF_DIR) / "UZ_zlib123.savf";
    QUELVANE_REQUIRE_REAL_FILE(path);
    OpenedFile file(path);
    ASSERT_TRUE(file.parsed);
    std::size_t compared = 0;
    for (const char* name : {"ZIP", "UNZIP", "DSPZIP"}) {
        SCOPED_TRACE(name);
        std::optional<ObjectRef> ref = file.find(name, 0x1905);
        ASSERT_TRUE(ref);
        ObjectDescription description = file.describe(*file.catalog.findObject(*ref));
        ASSERT_TRUE(description.command) << description.failure;
        std::vector<ClStatement> rebuilt = CommandSource::statements(*description.command);
        std::vector<ClStatement> source = ClSourceText::parse(file.sourceLines("QCMDSRC", name));
        ASSERT_EQ(rebuilt.size(), source.size());
        for (std::size_t i = 0; i < source.size(); ++i) {
            EXPECT_EQ(rebuilt[i].command, source[i].command);
            EXPECT_EQ(elements(rebuilt[i]), elements(source[i])) << "statement " << i;
            compared += elements(source[i]).size();
        }
        // The rebuilt text read back gives the same statements.
        std::vector<std::string> lines = CommandSource::lines(*description.command, name);
        EXPECT_EQ(ClSourceText::parse(lines), rebuilt);
    }
    // Every keyword of the 3 commands' 11 statements was compared.
    EXPECT_EQ(compared, 88u);
}

// CRTCSVF of a V4R5 save, whose space lies 0x100 into its MI segment and whose *DEC RANGE
// values are kept packed, rebuilt from its stored definition equals SOURCE(CRTCSVF) saved beside
// it, parameter by parameter: its QUAL, its special values with numbers, REL(*NE '"').
TEST(RealSaveDescribe, V4R5CommandEqualsItsSource) {
    fs::path path = fs::path(QUELVANE_SAVF_DIR) / "UZ_csv_2-14.savf";
    QUELVANE_REQUIRE_REAL_FILE(path);
    OpenedFile file(path);
    ASSERT_TRUE(file.parsed);
    std::optional<ObjectRef> ref = file.find("CRTCSVF", 0x1905);
    ASSERT_TRUE(ref);
    ObjectDescription description = file.describe(*file.catalog.findObject(*ref));
    ASSERT_TRUE(description.command) << description.failure;
    std::vector<ClStatement> rebuilt = CommandSource::statements(*description.command);
    std::vector<ClStatement> source = ClSourceText::parse(file.sourceLines("SOURCE", "CRTCSVF"));
    // CMD, 12 PARMs and the two QUALs of FILE's type Q1.
    ASSERT_EQ(source.size(), 15u);
    ASSERT_EQ(rebuilt.size(), source.size());
    for (std::size_t i = 0; i < source.size(); ++i) {
        SCOPED_TRACE(source[i].parameters.empty() ? source[i].command : source[i].parameters[0].second);
        EXPECT_EQ(rebuilt[i].command, source[i].command);
        EXPECT_EQ(rebuilt[i].label, source[i].label);
        EXPECT_EQ(elements(rebuilt[i]), elements(source[i]));
    }
    EXPECT_EQ(CommandSource::qualifiedText(description.command->program), "*LIBL/CRTCSVFCLP");
    EXPECT_EQ(CommandSource::qualifiedText(description.command->helpPanelGroup), "CSV/CRTCSVFHLP");
}

// No command or message file of any real save gives up: every one is described.
TEST(RealSaveDescribe, EveryCommandAndMessageFileIsDescribed) {
    std::size_t described = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(QUELVANE_SAVF_DIR, error)) {
        const std::string ext = entry.path().extension().string();
        if (ext == ".md" || ext == ".tsv") {
            continue;
        }
        SCOPED_TRACE(entry.path().filename().string());
        OpenedFile file(entry.path());
        for (const SavedPart& part : file.catalog.parts) {
            for (const SavedObject& object : part.library.objects) {
                if (object.typeCode != 0x1905 && object.typeCode != 0x0E03) {
                    continue;
                }
                ObjectDescription description = file.describe(object);
                EXPECT_TRUE(description.command || description.messages)
                    << object.name << ": " << description.failure;
                ++described;
            }
        }
    }
    if (described == 0) {
        QUELVANE_REQUIRE_REAL_FILE(fs::path(QUELVANE_SAVF_DIR) / "UZ_zlib123.savf");
    }
    // ZIP, UNZIP, DSPZIP, CRTCSVF, VCFMAIN, ADMMAIN, and STRPREPRCE and CVTSPLF in each ISPHERE save.
    EXPECT_GE(described, 10u);
}

// A message file of a later save keeps its message space 0x1000 into its second MI segment and
// its message count as a 4-byte number: STRPREPRCE of ISPHERE holds 24 messages, PRZ0001 to
// PRZ0024, each with its first-level text.
TEST(RealSaveDescribe, LaterMessageFileReadsWhole) {
    fs::path path = fs::path(QUELVANE_SAVF_DIR) / "ISPH_ISPHERE_2015-05-06_51507f.savf";
    QUELVANE_REQUIRE_REAL_FILE(path);
    OpenedFile file(path);
    std::optional<ObjectRef> ref = file.find("STRPREPRCE", 0x0E03);
    ASSERT_TRUE(ref);
    ObjectDescription description = file.describe(*file.catalog.findObject(*ref));
    ASSERT_TRUE(description.messages) << description.failure;
    const std::vector<MessageDescription>& messages = description.messages->messages;
    ASSERT_EQ(messages.size(), 24u);
    for (std::size_t i = 0; i < messages.size(); ++i) {
        EXPECT_EQ(messages[i].id, "PRZ00" + std::string(i < 9 ? "0" : "") + std::to_string(i + 1));
        EXPECT_TRUE(messages[i].text) << messages[i].id;
    }
    EXPECT_EQ(messages.front().text, "Wrong mode sequence.");
    EXPECT_EQ(messages[20].text, "Command CHGOBJDA not found.");

    // Its command CVTSPLF keeps the numbers of its *DEC RANGEs packed.
    ObjectDescription command = file.describe(*file.catalog.findObject(*file.find("CVTSPLF", 0x1905)));
    ASSERT_TRUE(command.command) << command.failure;
    std::vector<std::string> ranges;
    for (const ClStatement& statement : CommandSource::statements(*command.command)) {
        for (const auto& [keyword, value] : statement.parameters) {
            if (keyword == "RANGE" || keyword == "SPCVAL") {
                ranges.push_back(keyword + "(" + value + ")");
            }
        }
    }
    EXPECT_EQ(ranges,
              (std::vector<std::string>{
                  "RANGE(000000 999999)", "RANGE(1 9999)", "SPCVAL((*LAST -2) (*ONLY -3))", "RANGE(1 32767)",
                  "SPCVAL((*PCASCII -1) (*STREAM -2))", "SPCVAL((*NONE) (*STREAMILE))", "RANGE(1 300)",
                  "RANGE(1 378)", "RANGE(1 378)", "RANGE(1 999)", "RANGE(-378 378)", "RANGE(1 378)"}));
}

// The two message files of an SDA menu hold the menu's commands, one message per option
// (USR plus the option number): VCFMAIN's equal the lines of QMNUSRC(VCFMAINQQ), ADMMAIN has
// none, as its source holds only the header line.
TEST(RealSaveDescribe, MenuMessageFilesEqualTheirSource) {
    fs::path path = fs::path(QUELVANE_SAVF_DIR) / "VCF_VCFV1R0.SAVF";
    QUELVANE_REQUIRE_REAL_FILE(path);
    OpenedFile file(path);
    ASSERT_TRUE(file.parsed);
    for (const char* name : {"VCFMAIN", "ADMMAIN"}) {
        SCOPED_TRACE(name);
        std::optional<ObjectRef> ref = file.find(name, 0x0E03);
        ASSERT_TRUE(ref);
        ObjectDescription description = file.describe(*file.catalog.findObject(*ref));
        ASSERT_TRUE(description.messages) << description.failure;
        std::vector<std::string> expected;
        std::vector<std::string> source = file.sourceLines("QMNUSRC", std::string(name) + "QQ");
        ASSERT_FALSE(source.empty());
        for (std::size_t i = 1; i < source.size(); ++i) {
            std::string line = source[i].substr(0, source[i].find_last_not_of(' ') + 1);
            expected.push_back("USR" + line.substr(0, 4) + " " + line.substr(5));
        }
        std::vector<std::string> read;
        for (const MessageDescription& message : description.messages->messages) {
            read.push_back(message.id + " " + message.text.value_or("(no text)"));
        }
        EXPECT_EQ(read, expected);
    }
}

// The module records of real ILE programs agree with the programs' own details: each module
// was made on the program's release, in the saved library, before the program; HATS's PRODUCT
// program is bound from the module PRODUCT saved beside it.
TEST(RealSaveDescribe, ModulesAgreeWithTheirPrograms) {
    struct Case {
        const char* file;
        const char* name;
        std::uint16_t type;
        std::size_t modules;
        std::size_t servicePrograms;
    };
    const Case cases[] = {{"OSSX_hats.savf", "PRODUCT", 0x0201, 1, 3},
                          {"NOX_release_2022-07-07.savf", "JSONXML", 0x0203, 25, 14}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        fs::path path = fs::path(QUELVANE_SAVF_DIR) / c.file;
        QUELVANE_REQUIRE_REAL_FILE(path);
        OpenedFile file(path);
        ASSERT_TRUE(file.parsed);
        const SavedObject& object = *file.catalog.findObject(*file.find(c.name, c.type));
        ObjectDescription description = file.describe(object);
        ASSERT_TRUE(description.program) << description.failure;
        EXPECT_EQ(description.program->kind, ProgramDescription::Kind::Ile);
        ASSERT_EQ(description.program->modules.size(), c.modules);
        EXPECT_EQ(description.program->serviceProgramsBound.size(), c.servicePrograms);
        ASSERT_TRUE(object.details.created && object.details.release);
        for (const BoundModule& module : description.program->modules) {
            SCOPED_TRACE(module.name);
            EXPECT_EQ(module.library, file.catalog.parts[0].name);
            EXPECT_EQ(module.releaseOn, *object.details.release);
            ASSERT_TRUE(module.created);
            EXPECT_LE(module.created->text(), object.details.created->text());
        }
        for (const QualifiedObjectName& bound : description.program->serviceProgramsBound) {
            EXPECT_EQ(bound.library, "QSYS");
        }
    }
    fs::path hats = fs::path(QUELVANE_SAVF_DIR) / "OSSX_hats.savf";
    OpenedFile file(hats);
    const SavedObject& module = *file.catalog.findObject(*file.find("PRODUCT", 0x0301));
    ObjectDescription program = file.describe(*file.catalog.findObject(*file.find("PRODUCT", 0x0201)));
    ASSERT_TRUE(program.program && module.details.created);
    const BoundModule& bound = program.program->modules.at(0);
    EXPECT_EQ(bound.attribute, module.attribute);
    EXPECT_EQ(bound.created, module.details.created);
    EXPECT_EQ(bound.compiler, "5770WDS");
    EXPECT_EQ(file.describe(module).program->kind, ProgramDescription::Kind::Module);
}

// The R, K, S and O lines of DDS as "R FMT1 PFILE(FILE)", "K FIELD DESCEND",
// "S FIELD COMP(EQ 'X')": the library of a PFILE left out, the compiler's closing ALL too.
std::vector<std::string> ddsSummary(const std::vector<std::string>& lines) {
    constexpr std::size_t kTypeColumn = 16;
    constexpr std::size_t kNameColumn = 18;
    constexpr std::size_t kKeywordColumn = 44;
    auto trimmed = [](std::string text) {
        std::size_t first = text.find_first_not_of(' ');
        return first == std::string::npos ? std::string()
                                          : text.substr(first, text.find_last_not_of(' ') + 1 - first);
    };
    std::vector<std::string> out;
    for (const std::string& line : lines) {
        if (line.size() <= kTypeColumn || (line.size() > 6 && line[6] == '*')) {
            continue;
        }
        char type = line[kTypeColumn];
        if (type != 'R' && type != 'K' && type != 'S' && type != 'O') {
            continue;
        }
        std::string name = trimmed(line.substr(
            kNameColumn, std::min<std::size_t>(10, line.size() - std::min(line.size(), kNameColumn))));
        std::string keywords = line.size() > kKeywordColumn ? trimmed(line.substr(kKeywordColumn)) : "";
        if (keywords == "ALL") {
            continue;
        }
        std::size_t slash = keywords.find('/');
        if (keywords.starts_with("PFILE(") && slash != std::string::npos) {
            keywords = "PFILE(" + keywords.substr(slash + 1);
        }
        out.push_back(trimmed(std::string(1, type) + " " + name + " " + keywords));
    }
    return out;
}

// A logical file over its physical file's own format lists that format's fields; every cut of
// its member area reads or fails with DecodingFailure, and a field count past what the area
// holds is refused before anything is sized by it.
TEST(RealSaveDescribe, LogicalFileFieldsAreTheFormatsFields) {
    const fs::path path = fs::path(QUELVANE_SAVF_DIR) / "GURI_demodb.savf";
    QUELVANE_REQUIRE_REAL_FILE(path);
    OpenedFile file(path);
    const std::optional<ObjectRef> logicalRef = file.find("PERSONL1", 0x1901);
    const std::optional<ObjectRef> physicalRef = file.find("PERSON", 0x1901);
    ASSERT_TRUE(logicalRef && physicalRef);
    const SavedObject& logical = *file.catalog.findObject(*logicalRef);
    const SavedObject& physical = *file.catalog.findObject(*physicalRef);
    std::unique_ptr<BlockSource> source = file.session.openSaveFile();
    const SavedPart& part = file.catalog.parts[static_cast<std::size_t>(logicalRef->part)];
    const SavedObject read = LogicalFileFields::read(*source, part, logical, file.converter);
    ASSERT_EQ(read.fields.size(), physical.fields.size());
    EXPECT_TRUE(read.description.logical);
    EXPECT_TRUE(read.description.keyed);
    EXPECT_EQ(read.description.formatName, physical.description.formatName);
    EXPECT_EQ(read.recordLength, physical.description.recordLength);
    for (std::size_t i = 0; i < read.fields.size(); ++i) {
        const SavedField& a = read.fields[i];
        const SavedField& b = physical.fields[i];
        EXPECT_EQ(a.name, b.name);
        EXPECT_EQ(a.typeCode, b.typeCode) << a.name;
        EXPECT_EQ(a.digits, b.digits) << a.name;
        EXPECT_EQ(a.decimals, b.decimals) << a.name;
        EXPECT_EQ(a.description.ddsType, b.description.ddsType) << a.name;
        EXPECT_EQ(a.description.ccsid, b.description.ccsid) << a.name;
        EXPECT_EQ(a.description.bufferLength, b.description.bufferLength) << a.name;
        EXPECT_EQ(a.description.text.bytes, b.description.text.bytes) << a.name;
    }

    std::vector<std::uint8_t> area = *LogicalFileReader::memberArea(*source, part, logical);
    constexpr std::size_t kStep = 7;
    for (std::size_t size = 0; size < area.size(); size += kStep) {
        try {
            LogicalFileFields::fromArea(std::span(area).first(size), logical, file.converter);
        } catch (const DecodingFailure&) {
        }
    }
    const std::int64_t format = BigEndianReader(area).s32(0);
    constexpr std::int64_t kFieldCountAt = 157;
    area[static_cast<std::size_t>(format + kFieldCountAt)] = 0xFF;
    area[static_cast<std::size_t>(format + kFieldCountAt + 1)] = 0xFF;
    EXPECT_THROW(LogicalFileFields::fromArea(area, logical, file.converter), DecodingFailure);
}

// Every record format of a logical file, as its DDS in QDDSSRC of the same save declares them:
// MLTFMT (FMT1 FIELD1 TENCHARFLD, FMT2 FIELD1 ZONED over SIMPLESEQ), MLTFMT3 (two formats over
// FIELDS3 naming its fields in different orders), MLTFMT4 (FMT1 over FIELDS2, FMT2 over
// FIELDS3); a single-format file has one (PERSONL1, over PERSON's own format PERSONR), and so
// has a join view. Every cut of a member
// area reads or fails with DecodingFailure, and a format that does not lie past the one before it is refused.
TEST(RealSaveDescribe, EveryFormatOfAMultiFormatFile) {
    struct Case {
        const char* file;
        const char* object;
        std::vector<std::string> formats;
    };
    const Case cases[] = {
        {"JTT_ddmtestsav.savf", "MLTFMT", {"FMT1: FIELD1 TENCHARFLD", "FMT2: FIELD1 ZONED"}},
        {"JTT_ddmtestsav.savf", "MLTFMT3", {"FMT1: FIELD1 FIELD2 FIELD3", "FMT2: FIELD2 FIELD1 FIELD3"}},
        {"JTT_ddmtestsav.savf", "MLTFMT4", {"FMT1: FIELD1 FIELD2", "FMT2: FIELD1 FIELD2 FIELD3"}},
        {"GURI_demodb.savf",
         "PERSONL1",
         {"PERSONR: REGNO KJNAME KNNAME GENDER TEL MOBILE POST PREF ADDR1 ADDR2 ADDR3 BIRTHD"}},
        // A join view over QADBXREF, QADBFDEP and QADBXREF again, as its stored CREATE VIEW
        // names them: one format, each based-on entry naming it again, with the hidden DFnnnn
        // fields among the columns.
        {"OSSX_hats.savf",
         "SYSTABDEP",
         {"SYSTABDEP: TABSCHEMA TABNAME BSCHEMA BNAME DF0001 DF0002 BTYPE IASPNUMBER SYS_DNAME SYS_TNAME "
          "SIGNATURE"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.object);
        const fs::path path = fs::path(QUELVANE_SAVF_DIR) / c.file;
        QUELVANE_REQUIRE_REAL_FILE(path);
        OpenedFile file(path);
        const std::optional<ObjectRef> ref = file.find(c.object, 0x1901);
        ASSERT_TRUE(ref);
        const SavedObject& logical = *file.catalog.findObject(*ref);
        std::unique_ptr<BlockSource> source = file.session.openSaveFile();
        const SavedPart& part = file.catalog.parts[static_cast<std::size_t>(ref->part)];
        const std::vector<SavedObject> formats =
            LogicalFileFields::readFormats(*source, part, logical, file.converter);
        std::vector<std::string> read;
        for (const SavedObject& format : formats) {
            std::string line = format.description.formatName + ":";
            for (const SavedField& field : format.fields) {
                line += " " + field.name;
            }
            read.push_back(line);
            EXPECT_EQ(format.recordLength, format.description.recordLength);
        }
        EXPECT_EQ(read, c.formats);
        const LogicalFileDescription described = *file.describe(logical).logicalFile;
        EXPECT_EQ(described.formats.size(), formats.size());

        std::vector<std::uint8_t> area = *LogicalFileReader::memberArea(*source, part, logical);
        constexpr std::size_t kStep = 5;
        for (std::size_t size = 0; size < area.size(); size += kStep) {
            try {
                LogicalFileFields::formatsFromArea(std::span(area).first(size), logical, file.converter);
            } catch (const DecodingFailure&) {
            }
        }
        if (formats.size() > 1) {
            // A section length that points the second format back into the first.
            const std::int64_t first = BigEndianReader(area).s32(0);
            constexpr std::int64_t kSectionLengthAt = 80;
            area[static_cast<std::size_t>(first + kSectionLengthAt)] = 0;
            area[static_cast<std::size_t>(first + kSectionLengthAt + 1)] = 0;
            EXPECT_THROW(LogicalFileFields::formatsFromArea(area, logical, file.converter), DecodingFailure);
        }
    }
}

// The Fields list of a multi-format file: every format in the summary with its record length
// (the sum of its fields' DDS lengths, 2 × 10A and 3 × 10A in MLTFMT4) and its fields, then the
// fields of all formats in order.
TEST(RealSaveDescribe, FileFactsOfEveryFormat) {
    const fs::path path = fs::path(QUELVANE_SAVF_DIR) / "JTT_ddmtestsav.savf";
    QUELVANE_REQUIRE_REAL_FILE(path);
    OpenedFile file(path);
    const std::optional<ObjectRef> ref = file.find("MLTFMT4", 0x1901);
    ASSERT_TRUE(ref);
    std::unique_ptr<BlockSource> source = file.session.openSaveFile();
    const std::vector<SavedObject> formats =
        LogicalFileFields::readFormats(*source, file.catalog.parts[static_cast<std::size_t>(ref->part)],
                                       *file.catalog.findObject(*ref), file.converter);
    PcTextToUtf8 utf8(1252);
    StoredCcsidText texts(37);
    const FileFacts facts = FileFacts::of(formats, utf8, texts);
    EXPECT_EQ(
        facts.summaryLines("MLTFMT4"),
        (std::vector<std::string>{"Logical file MLTFMT4: Multiple format logical file",
                                  "Format FMT1, level identifier 1C3D866D92C7E, record length 20, 2 fields",
                                  "Format FMT2, level identifier 2983BC8BD59E0, record length 30, 3 fields",
                                  "Keyed; source DDMTESTSAV/QDDSSRC(MLTFMT4); language ENU, country US"}));
    std::vector<std::string> names;
    for (const FileFacts::Field& field : facts.fields) {
        names.push_back(field.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"FIELD1", "FIELD2", "FIELD1", "FIELD2", "FIELD3"}));
}

// Every DDS logical file of the real saves equals its DDS source, format by format and key by
// key; every SQL view keeps its CREATE VIEW statement; the SQL indexes keep their keys.
TEST(RealSaveDescribe, LogicalFilesEqualTheirSource) {
    struct Case {
        const char* file;
        const char* object;
        const char* sourceFile;
    };
    const Case cases[] = {{"JTT_ddmtestsav.savf", "MLTFMT", "QDDSSRC"},
                          {"JTT_ddmtestsav.savf", "MLTFMT3", "QDDSSRC"},
                          {"JTT_ddmtestsav.savf", "MLTFMT4", "QDDSSRC"},
                          {"GURI_demodb.savf", "PERSONL1", "QDDSSRC"},
                          {"CSCH@002_v1.SAVF", "C_2LF_L00", "QDDSSRC"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.object);
        fs::path path = fs::path(QUELVANE_SAVF_DIR) / c.file;
        QUELVANE_REQUIRE_REAL_FILE(path);
        OpenedFile file(path);
        ObjectDescription description = file.describe(*file.catalog.findObject(*file.find(c.object, 0x1901)));
        ASSERT_TRUE(description.logicalFile) << description.failure;
        std::vector<std::string> source = ddsSummary(file.sourceLines(c.sourceFile, c.object));
        EXPECT_TRUE(description.logicalFile->indexName.empty());
        std::vector<std::string> rebuilt = ddsSummary(LogicalFileReader::lines(*description.logicalFile));
        // The saved source of C_2LF_L00 holds its R line in comment lines only.
        if (std::string(c.object) == "C_2LF_L00") {
            EXPECT_EQ(rebuilt.front(), "R C_1PF_R PFILE(C_1PF_F)");
            rebuilt.erase(rebuilt.begin());
        }
        ASSERT_FALSE(source.empty());
        EXPECT_EQ(rebuilt, source);
    }
    fs::path hats = fs::path(QUELVANE_SAVF_DIR) / "OSSX_hats.savf";
    QUELVANE_REQUIRE_REAL_FILE(hats);
    OpenedFile file(hats);
    std::size_t views = 0;
    for (const SavedPart& part : file.catalog.parts) {
        for (const SavedObject& object : part.library.objects) {
            if (object.attribute != "LF") {
                continue;
            }
            SCOPED_TRACE(object.name);
            ObjectDescription description = file.describe(object);
            ASSERT_TRUE(description.logicalFile) << description.failure;
            const LogicalFileDescription& lf = *description.logicalFile;
            if (object.name == "XITEM" || object.name == "XPRODCAT") {
                EXPECT_TRUE(lf.sqlText.empty());
                ASSERT_EQ(lf.formats.size(), 1u);
                EXPECT_EQ(lf.formats[0].keys.size(), 1u);
                continue;
            }
            EXPECT_TRUE(lf.indexName.empty()) << lf.indexName;
            ++views;
            EXPECT_TRUE(lf.sqlText.starts_with("CREATE VIEW " + object.name + " "))
                << lf.sqlText.substr(0, 40);
        }
    }
    EXPECT_EQ(views, 19u);
}

// The two SQL indexes of OSSX_hats.savf keep their SQL names and keys; read by hand from their
// member areas.
TEST(RealSaveDescribe, SqlIndexesShowTheirNameAndKeys) {
    struct Case {
        const char* object;
        const char* statement;
    };
    const Case cases[] = {
        {"XITEM", "CREATE INDEX IX_ITEM_INVOICE ON HATS.ITEMS (INVOICE)"},
        {"XPRODCAT", "CREATE INDEX IX_PROD_CATEGORY ON HATS.PRODUCTS (CAT)"},
    };
    fs::path hats = fs::path(QUELVANE_SAVF_DIR) / "OSSX_hats.savf";
    QUELVANE_REQUIRE_REAL_FILE(hats);
    OpenedFile file(hats);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.object);
        std::optional<ObjectRef> ref = file.find(c.object, 0x1901);
        ASSERT_TRUE(ref);
        ObjectDescription description = file.describe(*file.catalog.findObject(*ref));
        ASSERT_TRUE(description.logicalFile) << description.failure;
        EXPECT_EQ(LogicalFileReader::lines(*description.logicalFile), std::vector<std::string>{c.statement});
        NoTarget target;
        showNodeContent(file.session, target, NodePosition{2, ref->object, ref->part, 0});
        ASSERT_EQ(file.list.rowCount(), 1);
        EXPECT_EQ(file.list.rowCaption(0), c.statement);
    }
}

// Selecting a command, a message file or a program lists its description, one line a row.
TEST(RealSaveDescribe, TheContentListShowsTheDescription) {
    struct Case {
        const char* file;
        const char* name;
        std::uint16_t type;
        const char* firstRow;
    };
    const Case cases[] = {
        {"UZ_zlib123.savf", "DSPZIP", 0x1905,
         "/* CRTCMD CMD(DSPZIP) PGM(ZLIB/DSPZIPCLP) MSGF(*LIBL/QCPFMSG) HLPPNLGRP(ZLIB/DSPZIPHLP) "
         "HLPID(DSPZIP) */"},
        {"VCF_VCFV1R0.SAVF", "VCFMAIN", 0x0E03,
         "/* VCFMAIN: 5 messages; second-level text, severity, substitution variables and reply values are "
         "not "
         "decoded */"},
        {"OSSX_hats.savf", "PRODUCT", 0x0201, "Program kind: ILE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::path path = fs::path(QUELVANE_SAVF_DIR) / c.file;
        QUELVANE_REQUIRE_REAL_FILE(path);
        OpenedFile file(path);
        std::optional<ObjectRef> ref = file.find(c.name, c.type);
        ASSERT_TRUE(ref);
        NoTarget target;
        showNodeContent(file.session, target, NodePosition{2, ref->object, ref->part, 0});
        ASSERT_EQ(file.list.columnCount(), 1);
        EXPECT_EQ(file.list.column(0).caption, "Description");
        EXPECT_EQ(file.list.column(0).pitch, ContentList::Pitch::Fixed);
        ASSERT_GT(file.list.rowCount(), 1);
        EXPECT_EQ(file.list.rowCaption(0), c.firstRow);
    }
}

// The objects whose data cannot be read as their kind say so; the catalog is untouched.
TEST(RealSaveDescribe, CommandFailureStaysWithTheObject) {
    fs::path path = fs::path(QUELVANE_SAVF_DIR) / "UZ_zlib123.savf";
    QUELVANE_REQUIRE_REAL_FILE(path);
    OpenedFile file(path);
    ASSERT_TRUE(file.parsed);
    SavedObject renamed = *file.catalog.findObject(*file.find("ZIP", 0x1905));
    renamed.name = "NOSUCH";
    ObjectDescription description = file.describe(renamed);
    EXPECT_FALSE(description.described());
    EXPECT_EQ(description.failure, "NOSUCH cannot be described: its data is not in this save");
}

}  // namespace
}  // namespace quelvane::test
