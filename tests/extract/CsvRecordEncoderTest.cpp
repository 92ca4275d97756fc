// CsvRecordEncoder against the general path it stands in for (RecordTexts through CsvWriter, as
// MemberWriter writes a row): generated records of every field type over several page pairs, by
// the pair and by stored CCSID, table-driven edge cases, and every member of the real saves. The
// files written must be the same byte for byte, and the fallback notes the same and in order.

#include "extract/CsvRecordEncoder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "conversion/ConversionLayer.h"
#include "conversion/PcTextToUtf8.h"
#include "conversion/StoredCcsidText.h"
#include "extract/CsvWriter.h"
#include "extract/OutputFile.h"
#include "extract/RecordTexts.h"
#include "extract/SqlTable.h"
#include "savefile/MemberSegment.h"
#include "savefile/ObjectKinds.h"
#include "savefile/SaveFileReader.h"
#include "savefile/TypeCodes.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/FieldValueMaker.h"
#include "tests/support/RealFiles.h"
#include "tests/support/RecordingNotifier.h"
#include "views/FieldDecodingFailure.h"
#include "views/MemberRecordStream.h"
#include "views/MemoryContentList.h"
#include "views/ViewSession.h"

namespace quelvane {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t kNoCcsid = 0;
constexpr std::uint16_t kBinaryCcsid = 65535;
constexpr std::uint16_t kUtf16Ccsid = 1200;

// What both paths wrote for a run of records, and how many records the encoder declined.
struct Written {
    std::string general;
    std::string fast;
    std::vector<std::string> generalNotes;
    std::vector<std::string> fastNotes;
    std::int64_t declined = 0;
    std::int64_t records = 0;
    std::int64_t valuesCompared = 0;
    std::int64_t valuesDiffering = 0;
    bool usable = false;
};

std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The row MemberWriter writes from a record's texts; a record the decoders refuse is marked "!".
void generalRow(RecordTexts& texts, std::span<const std::uint8_t> record, const std::vector<bool>& character,
                CsvWriter& csv, OutputFile& out) {
    try {
        texts.decode(record);
    } catch (const DecodingFailure&) {
        out.write("!\r\n");
        return;
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (texts.text(i).empty() && character[i]) {
            csv.emptyText();
        } else if (texts.plain(i)) {
            csv.plainField(texts.text(i));
        } else {
            csv.field(texts.text(i));
        }
    }
    csv.endRow();
}

// Writes `records` of `file` both ways into `folder`; by stored CCSID with `hostPage` set.
class BothWays {
  public:
    BothWays(const fs::path& folder, EbcdicTextConverter& converter, PcTextToUtf8& utf8,
             std::optional<std::int32_t> hostPage)
        : folder_(folder), converter_(converter), utf8_(utf8), hostPage_(hostPage) {
        fs::create_directories(folder_);
    }

    template <typename EachRecord>
    Written write(const SavedObject& file, EachRecord eachRecord) {
        StoredCcsidText names(hostPage_.value_or(37));
        const SqlTable table(file, utf8_, names);
        std::vector<bool> character;
        for (const SqlTable::Column& column : table.columns()) {
            character.push_back(column.character);
        }
        std::optional<FieldTextByCcsid> generalCcsid;
        std::optional<FieldTextByCcsid> fastCcsid;
        if (hostPage_) {
            generalCcsid.emplace(*hostPage_, converter_);
            fastCcsid.emplace(*hostPage_, converter_);
        }
        RecordTexts generalTexts(file, converter_, utf8_, generalCcsid ? &*generalCcsid : nullptr);
        RecordTexts fastTexts(file, converter_, utf8_, fastCcsid ? &*fastCcsid : nullptr);
        character.resize(generalTexts.size(), false);
        CsvRecordEncoder encoder(file, fastTexts.size(), fastTexts.byteTable(),
                                 fastCcsid ? &*fastCcsid : nullptr, character);
        OutputFile general;
        OutputFile fast;
        EXPECT_TRUE(general.open(folder_ / "general.csv"));
        EXPECT_TRUE(fast.open(folder_ / "fast.csv"));
        CsvWriter generalCsv(general);
        CsvWriter fastCsv(fast);
        Written written;
        written.usable = encoder.usable();
        eachRecord([&](std::span<const std::uint8_t> record) {
            ++written.records;
            generalRow(generalTexts, record, character, generalCsv, general);
            if (!encoder.encode(record, fast)) {
                ++written.declined;
                generalRow(fastTexts, record, character, fastCsv, fast);
                return;
            }
            // The values the database takes from the row are the general path's texts and kinds.
            std::span<const LoadedValue> values;
            if (encoder.values(values)) {
                ++written.valuesCompared;
                for (std::size_t i = 0; i < values.size(); ++i) {
                    written.valuesDiffering +=
                        values[i].text != generalTexts.text(i) || values[i].kind != generalTexts.kind(i);
                }
            }
        });
        EXPECT_TRUE(general.commit());
        EXPECT_TRUE(fast.commit());
        written.general = contentOf(folder_ / "general.csv");
        written.fast = contentOf(folder_ / "fast.csv");
        if (hostPage_) {
            written.generalNotes = generalCcsid->fallbackNotes();
            written.fastNotes = fastCcsid->fallbackNotes();
        }
        return written;
    }

    Written write(const SavedObject& file, const std::vector<Bytes>& records) {
        return write(file, [&](const auto& take) {
            for (const Bytes& record : records) {
                take(record);
            }
        });
    }

  private:
    fs::path folder_;
    EbcdicTextConverter& converter_;
    PcTextToUtf8& utf8_;
    std::optional<std::int32_t> hostPage_;
};

// The first row where the two files differ, for the failure message.
std::string firstDifference(const Written& written) {
    const auto [general, fast] = std::mismatch(written.general.begin(), written.general.end(),
                                               written.fast.begin(), written.fast.end());
    if (general == written.general.end() && fast == written.fast.end()) {
        return "none";
    }
    const auto rowStart = [](const std::string& text, std::string::const_iterator at) {
        const std::size_t offset = static_cast<std::size_t>(at - text.begin());
        const std::size_t start = text.rfind('\n', offset == 0 ? 0 : offset - 1);
        return start == std::string::npos ? 0 : start + 1;
    };
    const std::size_t g = rowStart(written.general, general);
    const std::size_t f = rowStart(written.fast, fast);
    return "row " + std::to_string(std::count(written.general.begin(), general, '\n')) + ": general [" +
           written.general.substr(g, written.general.find('\n', g) - g) + "] fast [" +
           written.fast.substr(f, written.fast.find('\n', f) - f) + "]";
}

void expectSame(const Written& written) {
    EXPECT_EQ(written.general.size(), written.fast.size());
    EXPECT_TRUE(written.general == written.fast) << firstDifference(written);
    EXPECT_EQ(written.generalNotes, written.fastNotes);
    EXPECT_EQ(written.valuesDiffering, 0);
}

SavedField fieldOf(std::uint16_t type, std::int32_t length, std::int32_t digits = 0,
                   std::int32_t decimals = 0, std::uint16_t ccsid = kNoCcsid) {
    SavedField field;
    field.typeCode = type;
    field.length = length;
    field.digits = digits;
    field.decimals = decimals;
    field.description.read = true;
    field.description.ccsid = ccsid;
    return field;
}

SavedObject formatOf(std::vector<SavedField> fields) {
    SavedObject file;
    file.name = "FILE";
    for (SavedField& field : fields) {
        field.name = "F" + std::to_string(file.fields.size());
        field.offset = file.recordLength;
        file.recordLength += field.length;
        file.fields.push_back(field);
    }
    file.fieldCount = static_cast<std::int32_t>(file.fields.size());
    return file;
}

// A format of every type the encoder has a step for, text fields tagged with `ccsid`.
SavedObject everyFieldType(std::uint16_t ccsid) {
    return formatOf({
        fieldOf(kCharacterFieldType, 12, 0, 0, ccsid),
        fieldOf(kOpenCharacterFieldType, 6, 0, 0, ccsid),
        fieldOf(kCharacterFieldType, 1, 0, 0, ccsid),
        fieldOf(kTimeFieldType, 3),
        fieldOf(kPackedFieldType, 5, 9, 2),
        fieldOf(kPackedFieldType, 4, 6, 6),
        fieldOf(kPackedFieldType, 1, 1, 0),
        fieldOf(kZonedFieldType, 7, 7, 0),
        fieldOf(kZonedFieldType, 3, 3, 3),
        fieldOf(kBinaryFieldType, 2, 4, 0),
        fieldOf(kBinaryFieldType, 4, 9, 3),
        fieldOf(kBinaryFieldType, 8, 18, 0),
        fieldOf(kBinaryFieldType, 10, 18, 0),
        fieldOf(kDateFieldType, 4),
        fieldOf(kTimestampFieldType, 10),
    });
}

struct PagePair {
    std::int32_t ebcdic;
    std::int32_t pc;
    // Whether the pair reads byte by byte, so that the encoder takes its character fields.
    bool byteByByte;
};

class CsvRecordEncoderPairs : public testing::TestWithParam<PagePair> {
  protected:
    void SetUp() override {
        if (!layer_.BindNlsLibrary()) {
            GTEST_SKIP() << "the conversion modules could not be bound";
        }
        layer_.EbcdicCodePage = GetParam().ebcdic;
        layer_.PcCodePage = GetParam().pc;
        utf8_ = std::make_unique<PcTextToUtf8>(GetParam().pc);
    }

    std::vector<Bytes> records(const SavedObject& file, int count) {
        test::FieldValueMaker maker(17 + static_cast<unsigned>(GetParam().ebcdic));
        std::vector<Bytes> made;
        for (int i = 0; i < count; ++i) {
            made.push_back(maker.record(file));
        }
        return made;
    }

    fs::path folder() const {
        return fs::temp_directory_path() / ("quelvane-csv-encoder-" + std::to_string(::getpid()));
    }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(folder(), error);
    }

    test::RecordingNotifier notifier_;
    ConversionLayer layer_{notifier_, QUELVANE_MODULE_DIR,
                           ConversionLayer::ModuleSearch::programDirectoryOnly};
    std::unique_ptr<PcTextToUtf8> utf8_;
};

TEST_P(CsvRecordEncoderPairs, GeneratedRecordsByThePairReadAsTheGeneralPathWritesThem) {
    const SavedObject file = everyFieldType(kNoCcsid);
    const Written written = BothWays(folder(), layer_, *utf8_, std::nullopt).write(file, records(file, 6000));
    expectSame(written);
    EXPECT_EQ(written.usable, GetParam().byteByByte);
    if (GetParam().byteByByte) {
        // Damaged values and shift-outs are declined, most records are not.
        EXPECT_GT(written.declined, 0);
        EXPECT_LT(written.declined, written.records / 2);
        EXPECT_GT(written.valuesCompared, written.records / 8);
    }
}

TEST_P(CsvRecordEncoderPairs, GeneratedRecordsByStoredCcsidReadAsTheGeneralPathWritesThem) {
    // Tagged with a single-byte CCSID, with none (the chosen page), 65535 (hex for controls) and
    // UTF-16 (not taken at all).
    for (const std::uint16_t ccsid :
         {std::uint16_t{37}, std::uint16_t{273}, std::uint16_t{1141}, kNoCcsid, kBinaryCcsid, kUtf16Ccsid}) {
        SCOPED_TRACE(ccsid);
        const SavedObject file = everyFieldType(ccsid);
        const Written written =
            BothWays(folder(), layer_, *utf8_, GetParam().ebcdic).write(file, records(file, 3000));
        expectSame(written);
        EXPECT_EQ(written.usable, ccsid != kUtf16Ccsid && GetParam().byteByByte);
    }
}

INSTANTIATE_TEST_SUITE_P(PagePairs, CsvRecordEncoderPairs,
                         testing::Values(PagePair{37, 1252, true}, PagePair{1141, 1252, true},
                                         PagePair{500, 1252, true}, PagePair{930, 932, false}),
                         [](const testing::TestParamInfo<PagePair>& info) {
                             return std::to_string(info.param.ebcdic) + "_" + std::to_string(info.param.pc);
                         });

struct EdgeCase {
    const char* what;
    std::vector<SavedField> fields;
    Bytes record;
    // The row both paths write; "!" where the general decoders refuse the record.
    const char* row;
    bool declined;
};

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes joined;
    for (const Bytes& part : parts) {
        joined.insert(joined.end(), part.begin(), part.end());
    }
    return joined;
}

// What a CSV writer quotes, where a text ends, what pads it, and every reason to decline, in
// CCSID 37 read by the pair 37/1252.
TEST(CsvRecordEncoder, EdgeCasesReadAsTheGeneralPathWritesThem) {
    const SavedField text5 = fieldOf(kCharacterFieldType, 5);
    const SavedField text1 = fieldOf(kCharacterFieldType, 1);
    const SavedField packed = fieldOf(kPackedFieldType, 2, 3, 1);
    const SavedField date = fieldOf(kDateFieldType, 4);
    const Bytes x = {0xE7};
    const Bytes blank = {0x40};
    const EdgeCase cases[] = {
        {"plain text", {text5, text1}, join({{0xC1, 0xC2, 0xC3, 0x40, 0x40}, x}), "ABC,X\r\n", false},
        {"blanks inside kept", {text5, text1}, join({{0xC1, 0x40, 0xC2, 0x40, 0x40}, x}), "A B,X\r\n", false},
        {"comma", {text5, text1}, join({{0xC1, 0x6B, 0xC2, 0x40, 0x40}, x}), "\"A,B\",X\r\n", false},
        {"double quote doubled",
         {text5, text1},
         join({{0x7F, 0xC1, 0x7F, 0x7F, 0x40}, x}),
         "\"\"\"A\"\"\"\"\",X\r\n",
         false},
        {"carriage return",
         {text5, text1},
         join({{0xC1, 0x0D, 0xC2, 0x40, 0x40}, x}),
         "\"A\rB\",X\r\n",
         false},
        {"line feed", {text5, text1}, join({{0xC1, 0x25, 0xC2, 0x40, 0x40}, x}), "\"A\nB\",X\r\n", false},
        {"all blanks: an empty text",
         {text5, text1},
         join({{0x40, 0x40, 0x40, 0x40, 0x40}, x}),
         "\"\",X\r\n",
         false},
        {"empty last field", {text1, text5}, join({x, {0x40, 0x40, 0x40, 0x40, 0x40}}), "X,\"\"\r\n", false},
        {"ends at its first zero",
         {text5, text1},
         join({{0xC1, 0xC2, 0x00, 0x6B, 0x7F}, x}),
         "AB,X\r\n",
         false},
        {"zero first: empty", {text5, text1}, join({{0x00, 0xC1, 0xC2, 0x40, 0x40}, x}), "\"\",X\r\n", false},
        {"blanks before the zero",
         {text5, text1},
         join({{0xC1, 0x40, 0x40, 0x00, 0xC2}, x}),
         "A,X\r\n",
         false},
        {"one field, empty", {text5}, {0x40, 0x40, 0x40, 0x40, 0x40}, "\"\"\r\n", false},
        {"one field", {text1}, x, "X\r\n", false},
        {"shift-out declined", {text5, text1}, join({{0xC1, 0x0E, 0xC2, 0x0F, 0x40}, x}), "", true},
        {"shift-out past the zero declined",
         {text5, text1},
         join({{0xC1, 0x00, 0x40, 0x0E, 0x40}, x}),
         "",
         true},
        {"shift-out in the blank tail declined",
         {text5, text1},
         join({{0xC1, 0x40, 0x40, 0x40, 0x0E}, x}),
         "",
         true},
        {"packed", {packed, text1}, join({{0x12, 0x3D}, x}), "-12.3,X\r\n", false},
        {"packed zero", {packed, text1}, join({{0x00, 0x0D}, x}), "0.0,X\r\n", false},
        {"packed digit above 9 declined", {packed, text1}, join({{0x1A, 0x3F}, x}), "", true},
        {"date", {date, text1}, join({{0x00, 0x25, 0x68, 0x59}, x}), "2000-01-01,X\r\n", false},
        {"date out of range declined", {date, text1}, join({{0x00, 0x00, 0x00, 0x01}, x}), "!\r\n", true},
        {"field past the record declined", {text5, text1}, {0xC1, 0xC2}, "!\r\n", true},
        {"no fields", {}, {0xC1}, "\r\n", false},
    };
    test::Cp037Converter converter;
    PcTextToUtf8 utf8(1252);
    const fs::path folder = fs::temp_directory_path() / ("quelvane-csv-edges-" + std::to_string(::getpid()));
    for (const EdgeCase& edge : cases) {
        SCOPED_TRACE(edge.what);
        const Written written =
            BothWays(folder, converter, utf8, std::nullopt).write(formatOf(edge.fields), {edge.record});
        expectSame(written);
        EXPECT_EQ(written.declined, edge.declined ? 1 : 0);
        if (!edge.declined || std::string_view(edge.row) == "!\r\n") {
            EXPECT_EQ(written.fast, edge.row);
        }
    }
    std::error_code error;
    fs::remove_all(folder, error);
}

// Every member of the real saves, by the pair and by stored CCSID.
class RealMembers {
  public:
    explicit RealMembers(const fs::path& path) {
        catalog_.path = path.string();
        SaveFileReader reader(catalog_, converter_, notifier_);
        reader.parseSaveFile(catalog_.path);
    }

    void compareEveryMember(const fs::path& folder, std::optional<std::int32_t> hostPage, Written& total) {
        for (const SavedPart& part : catalog_.parts) {
            for (const SavedObject& object : part.library.objects) {
                if (!isPhysicalFile(object)) {
                    continue;
                }
                for (const SavedMember& member : object.members) {
                    SCOPED_TRACE(object.name + "." + member.name);
                    compareMember(object, member, BothWays(folder, converter_, utf8_, hostPage), total);
                }
            }
        }
    }

  private:
    void compareMember(const SavedObject& file, const SavedMember& member, BothWays both, Written& total) {
        const std::optional<std::int32_t> segment =
            findMemberSegment(catalog_.segments, file.name, member.name);
        if (!segment) {
            return;
        }
        const SegmentEntry& entry = catalog_.segments.slot(*segment);
        const Written written = both.write(file, [&](const auto& take) {
            MemberRecordStream stream;
            if (!stream.open(session_.openSaveFile(), entry.sequence, file.recordLength, member.recordCount,
                             entry.recordDistance)) {
                return;
            }
            while (std::optional<MemberRecordStream::Slot> slot = stream.nextSlot()) {
                if (slot->holdsRecord()) {
                    take(slot->record);
                }
            }
        });
        expectSame(written);
        total.records += written.records;
        total.declined += written.declined + (written.usable ? 0 : written.records);
    }

    Catalog catalog_;
    test::Cp037Converter converter_;
    test::RecordingNotifier notifier_;
    MemoryContentList list_;
    ViewSession session_{catalog_, converter_, notifier_, list_};
    PcTextToUtf8 utf8_{1252};
};

TEST(RealFilesCsvRecordEncoder, EveryMemberOfTheRealSavesReadsAsTheGeneralPathWritesIt) {
    QUELVANE_REQUIRE_REAL_FILE(fs::path(QUELVANE_SAVF_DIR));
    const std::vector<fs::path> files = test::realSaveFiles(QUELVANE_SAVF_DIR);
    const fs::path folder = fs::temp_directory_path() / ("quelvane-csv-real-" + std::to_string(::getpid()));
    for (const std::optional<std::int32_t> hostPage :
         {std::optional<std::int32_t>{}, std::optional<std::int32_t>{37}}) {
        Written total;
        for (const fs::path& path : files) {
            SCOPED_TRACE(path.filename().string());
            RealMembers(path).compareEveryMember(folder, hostPage, total);
        }
        // The real members hold thousands of records, most of them taken by the encoder.
        EXPECT_GT(total.records, 1000);
        EXPECT_LT(total.declined, total.records / 2) << (hostPage ? "by stored CCSID" : "by the pair");
    }
    std::error_code error;
    fs::remove_all(folder, error);
}

}  // namespace
}  // namespace quelvane
