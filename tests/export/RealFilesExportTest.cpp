#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "export/ExcelExportWriter.h"
#include "export/InProcessAutomationClient.h"
#include "export/TextExportWriter.h"
#include "export/WordExportWriter.h"
#include "savefile/SaveFileReader.h"
#include "tests/export/ExportTestTools.h"
#include "tests/export/RtfTableReader.h"
#include "tests/support/RealFiles.h"
#include "tests/views/ViewsFixture.h"
#include "views/FieldDecoder.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

constexpr int kRecordlessImage = 1;

std::string utf8OfLatin1(const std::string& text) {
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out.push_back(c);
        } else {
            out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return out;
}

// What the export writes for a cell the records view shows, by the field's type; nothing for
// a timestamp, which the view shows as a date and the export as its stored bytes.
std::optional<std::string> exportTextOf(const std::string& cell, const SavedField& field) {
    switch (field.typeCode) {
        case kDateFieldType:
            return cell.substr(0, 4) + "-" + cell.substr(5, 2) + "-" + cell.substr(8, 2) + " 12:00:00";
        case kTimestampFieldType:
            return std::nullopt;
        case kBinaryFieldType:
        case kFloatFieldType:
        case kZonedFieldType:
        case kPackedFieldType:
        case kCharacterFieldType:
        case kOpenCharacterFieldType:
        case kTimeFieldType:
            return cell;
        default:
            return std::string();
    }
}

// One real save file read as the window reads it, with every physical file's members.
struct RealFile {
    explicit RealFile(const std::string& name) : path(fs::path(QUELVANE_SAVF_DIR) / name) {
        catalog.path = path.string();
        SaveFileReader reader(catalog, converter, notifier);
        parsed = fs::exists(path) && reader.parseSaveFile(catalog.path).accepted;
    }

    struct Member {
        std::int32_t part;
        std::int32_t object;
        std::int32_t member;
    };

    std::vector<Member> members() const {
        std::vector<Member> out;
        for (std::size_t p = 0; p < catalog.parts.size(); ++p) {
            const auto& objects = catalog.parts[p].library.objects;
            for (std::size_t o = 0; o < objects.size(); ++o) {
                for (std::size_t m = 0; objects[o].attribute == "PF" && m < objects[o].members.size(); ++m) {
                    out.push_back({static_cast<std::int32_t>(p), static_cast<std::int32_t>(o),
                                   static_cast<std::int32_t>(m)});
                }
            }
        }
        return out;
    }

    const SavedObject& file(const Member& m) const {
        return catalog.parts[static_cast<std::size_t>(m.part)]
            .library.objects[static_cast<std::size_t>(m.object)];
    }

    // The records view's present rows, each cell turned into the export's text (nothing where
    // the two forms differ by design).
    std::vector<std::pair<std::int64_t, std::vector<std::optional<std::string>>>> viewRows(const Member& m) {
        session.shownMember.stale = true;
        EXPECT_EQ(showNodeContent(session, target, NodePosition{3, m.member, m.object, m.part}),
                  ViewOutcome::Shown);
        std::vector<std::pair<std::int64_t, std::vector<std::optional<std::string>>>> rows;
        for (std::int64_t r = 0; r < list.rowCount(); ++r) {
            if (list.rowImage(r) == kRecordlessImage) {
                continue;
            }
            std::vector<std::optional<std::string>> cells;
            for (int c = 0; c < list.cellCount(r); ++c) {
                cells.push_back(exportTextOf(std::string(list.cellText(r, c)),
                                             file(m).fields[static_cast<std::size_t>(c)]));
            }
            rows.emplace_back(std::stoll(std::string(list.rowCaption(r))), cells);
        }
        return rows;
    }

    fs::path path;
    Catalog catalog;
    Cp037Converter converter;
    RecordingNotifier notifier;
    MemoryContentList list;
    RecordingTarget target{list, catalog};
    ViewSession session{catalog, converter, notifier, list};
    InProcessAutomationClient office{1252};
    ExportSession exports{session, office, 1252};
    bool parsed = false;
};

constexpr char kTimestampMark = '\x01';

// `written` is `expected` with 20 upper-case hexadecimal digits for each timestamp mark.
bool matchesWithTimestamps(const std::string& expected, const std::string& written) {
    std::size_t at = 0;
    for (char c : expected) {
        if (c != kTimestampMark) {
            if (at >= written.size() || written[at] != c) {
                return false;
            }
            ++at;
            continue;
        }
        if (written.size() - at < 20 ||
            written.substr(at, 20).find_first_not_of("0123456789ABCDEF") != std::string::npos) {
            return false;
        }
        at += 20;
    }
    return at == written.size();
}

const char* const kFiles[] = {"VCF_VCFV1R0.SAVF", "JTT_ddmtestsav.savf"};

TEST(RealFilesExport, EveryMembersTextMatchesTheRecordsView) {
    ScratchDirectory scratch("quelvane-real-text");
    for (const char* name : kFiles) {
        RealFile real(name);
        QUELVANE_REQUIRE_REAL_FILE(real.path);
        if (!real.parsed) {
            GTEST_SKIP() << name << " is not in " << QUELVANE_SAVF_DIR;
        }
        real.exports.splitterOption = true;
        int exported = 0;
        for (const RealFile::Member& m : real.members()) {
            const auto rows = real.viewRows(m);
            const fs::path out = scratch / "member.txt";
            ASSERT_EQ(writeTextExport(real.exports, {m.part, m.object, m.member}, out.string()),
                      ExportOutcome::Written);
            std::string expected;
            for (const auto& [slot, cells] : rows) {
                for (const auto& cell : cells) {
                    expected += cell.value_or(std::string(1, kTimestampMark)) + "|";
                }
                expected += "\r\n";
            }
            EXPECT_TRUE(matchesWithTimestamps(expected, readFile(out))) << name << " " << real.file(m).name;
            exported += rows.empty() ? 0 : 1;
        }
        EXPECT_GT(exported, 3) << name;
        EXPECT_TRUE(real.notifier.entries.empty()) << name;
    }
}

// A member's data cells as the Word and Excel files hold them: (row, column) from 1, by slot.
std::map<std::pair<std::int64_t, int>, std::optional<std::string>> expectedCells(
    const std::vector<std::pair<std::int64_t, std::vector<std::optional<std::string>>>>& rows) {
    std::map<std::pair<std::int64_t, int>, std::optional<std::string>> cells;
    for (const auto& [slot, texts] : rows) {
        for (std::size_t c = 0; c < texts.size(); ++c) {
            cells[{slot + 2, static_cast<int>(c) + 1}] =
                texts[c] ? std::optional(utf8OfLatin1(*texts[c])) : std::nullopt;
        }
    }
    return cells;
}

bool isTimestampText(const std::string& text) {
    return text.size() == 20 && text.find_first_not_of("0123456789ABCDEF") == std::string::npos;
}

constexpr std::size_t kMembersPerFile = 12;

TEST(RealFilesExport, WordTablesHoldTheRecordsViewsTexts) {
    ScratchDirectory scratch("quelvane-real-word");
    for (const char* name : kFiles) {
        RealFile real(name);
        QUELVANE_REQUIRE_REAL_FILE(real.path);
        if (!real.parsed) {
            GTEST_SKIP() << name << " is not in " << QUELVANE_SAVF_DIR;
        }
        std::size_t done = 0;
        for (const RealFile::Member& m : real.members()) {
            const auto rows = real.viewRows(m);
            if (rows.empty() || done++ == kMembersPerFile) {
                continue;
            }
            const fs::path out = scratch / "member.doc";
            ASSERT_EQ(writeWordExport(real.exports, {m.part, m.object, m.member}, out.string()),
                      ExportOutcome::Written);
            const std::vector<std::string> table = RtfTableReader::read(readFile(out));
            const SavedObject& file = real.file(m);
            // The font and colour lines, the header row, a row per slot and the last empty row.
            const std::int32_t recordCount = file.members[static_cast<std::size_t>(m.member)].recordCount;
            ASSERT_EQ(table.size(), static_cast<std::size_t>(2 + 1 + recordCount + 1)) << file.name;
            // Each row line: the column definitions (no text of the file), then the cells.
            for (const auto& [slot, texts] : rows) {
                const std::string& line = table[static_cast<std::size_t>(slot + 3)];
                std::size_t at = 0;
                for (std::int32_t i = 0; i <= file.fieldCount; ++i) {
                    at = line.find(" | ", at) + 3;
                }
                std::string expected;
                for (std::size_t c = 0; c < texts.size(); ++c) {
                    expected += (c == 0 ? "" : " | ") +
                                (texts[c] ? utf8OfLatin1(*texts[c]) : std::string(1, kTimestampMark));
                }
                EXPECT_TRUE(matchesWithTimestamps(expected, line.substr(at)))
                    << file.name << " slot " << slot;
            }
        }
        EXPECT_TRUE(real.notifier.entries.empty()) << name;
    }
}

TEST(RealFilesExport, XlrdReadsTheRecordsViewsTextsFromTheWorkbooks) {
    if (!xlrdAvailable()) {
        GTEST_SKIP() << "python3-xlrd is not installed";
    }
    ScratchDirectory scratch("quelvane-real-excel");
    for (const char* name : kFiles) {
        RealFile real(name);
        QUELVANE_REQUIRE_REAL_FILE(real.path);
        if (!real.parsed) {
            GTEST_SKIP() << name << " is not in " << QUELVANE_SAVF_DIR;
        }
        std::size_t done = 0;
        for (const RealFile::Member& m : real.members()) {
            const auto rows = real.viewRows(m);
            if (rows.empty() || done++ == kMembersPerFile) {
                continue;
            }
            const fs::path out = scratch / "member.xls";
            ASSERT_EQ(writeExcelExport(real.exports, {m.part, m.object, m.member}, out.string()),
                      ExportOutcome::Written);
            std::map<std::pair<std::int64_t, int>, std::pair<std::string, std::string>> read;
            for (const std::string& line : splitLines(readXls("sheet", out))) {
                char kind[16];
                long row = 0;
                int column = 0;
                int used = 0;
                if (std::sscanf(line.c_str(), "cell %ld %d %15s%n", &row, &column, kind, &used) == 3 &&
                    row > 0) {
                    const auto start = static_cast<std::size_t>(used) + 1;
                    read[{row + 1, column + 1}] = {kind, line.substr(start, line.rfind(" | Arial") - start)};
                }
            }
            const SavedObject& file = real.file(m);
            const auto expected = expectedCells(rows);
            for (const auto& [place, text] : expected) {
                const auto found = read.find(place);
                if (text && text->empty()) {
                    EXPECT_EQ(found, read.end());
                    continue;
                }
                ASSERT_NE(found, read.end())
                    << file.name << " row " << place.first << " column " << place.second;
                const auto& [kind, value] = found->second;
                if (kind == "text") {
                    EXPECT_EQ(value, text.value_or(value)) << file.name << " row " << place.first;
                    if (!text) {
                        EXPECT_TRUE(isTimestampText(value)) << value;
                    }
                } else if (kind == "number" && text) {
                    EXPECT_DOUBLE_EQ(std::stod(value), std::stod(*text)) << file.name << " " << *text;
                } else {
                    EXPECT_EQ(kind, "date") << file.name << " " << value;
                }
            }
        }
        EXPECT_TRUE(real.notifier.entries.empty()) << name;
    }
}

TEST(RealFilesExport, LibreOfficeOpensTheDocumentAndTheWorkbook) {
    if (!runCommand("command -v soffice")) {
        GTEST_SKIP() << "LibreOffice is not installed";
    }
    RealFile real(kFiles[0]);
    QUELVANE_REQUIRE_REAL_FILE(real.path);
    if (!real.parsed) {
        GTEST_SKIP() << kFiles[0] << " is not in " << QUELVANE_SAVF_DIR;
    }
    const std::vector<RealFile::Member> members = real.members();
    const auto awards = std::find_if(members.begin(), members.end(), [&](const RealFile::Member& m) {
        return real.file(m).name == "AWARDDB";
    });
    ASSERT_NE(awards, members.end());
    ScratchDirectory scratch("quelvane-real-lo");
    ASSERT_EQ(writeWordExport(real.exports, {awards->part, awards->object, awards->member},
                              (scratch / "AW.doc").string()),
              ExportOutcome::Written);
    ASSERT_EQ(writeExcelExport(real.exports, {awards->part, awards->object, awards->member},
                               (scratch / "AW.xls").string()),
              ExportOutcome::Written);
    const std::string convert = "cd '" + scratch.path().string() +
                                "' && soffice -env:UserInstallation=file://" + scratch.path().string() +
                                "/profile --headless --convert-to ";
    ASSERT_TRUE(runCommand(convert + "'txt:Text (encoded):UTF8' AW.doc"));
    ASSERT_TRUE(runCommand(convert + "csv AW.xls"));

    const auto rows = real.viewRows(*awards);
    ASSERT_FALSE(rows.empty());
    const std::string document = readFile(scratch / "AW.txt");
    const std::string sheet = readFile(scratch / "AW.csv");
    for (const SavedField& field : real.file(*awards).fields) {
        EXPECT_NE(document.find(field.name), std::string::npos) << field.name;
        EXPECT_NE(sheet.find(field.name), std::string::npos) << field.name;
    }
    for (const auto& [slot, texts] : rows) {
        for (const auto& text : texts) {
            const std::string trimmed = text->substr(0, text->find_last_not_of(' ') + 1);
            EXPECT_NE(document.find(trimmed), std::string::npos) << trimmed;
            EXPECT_NE(sheet.find(trimmed), std::string::npos) << trimmed;
        }
    }
}

// The voting records print whole from both office formats: every caption and every value on one
// line, none hidden behind "###".
TEST(RealFilesExport, LibreOfficePrintsTheVotingRecordsWhole) {
    RealFile real(kFiles[0]);
    if (!real.parsed) {
        GTEST_SKIP() << kFiles[0] << " is not in " << QUELVANE_SAVF_DIR;
    }
    const std::vector<RealFile::Member> members = real.members();
    const auto votes = std::find_if(members.begin(), members.end(), [&](const RealFile::Member& m) {
        return real.file(m).name == "VOTINGDB";
    });
    ASSERT_NE(votes, members.end());
    ScratchDirectory scratch("quelvane-real-widths");
    ASSERT_EQ(writeWordExport(real.exports, {votes->part, votes->object, votes->member},
                              (scratch / "VOTES.doc").string()),
              ExportOutcome::Written);
    ASSERT_EQ(writeExcelExport(real.exports, {votes->part, votes->object, votes->member},
                               (scratch / "VOTES.xls").string()),
              ExportOutcome::Written);
    const std::optional<std::vector<std::string>> pages =
        renderedPages(scratch.path(), {"VOTES.doc", "VOTES.xls"});
    if (!pages) {
        GTEST_SKIP() << "LibreOffice or pdftotext is not installed";
    }
    const auto rows = real.viewRows(*votes);
    ASSERT_FALSE(rows.empty());
    for (const std::string& page : *pages) {
        for (const SavedField& field : real.file(*votes).fields) {
            EXPECT_TRUE(standsWhole(page, field.name)) << field.name << " in\n" << page;
        }
        for (const auto& [slot, texts] : rows) {
            for (const auto& text : texts) {
                const std::string trimmed = text->substr(0, text->find_last_not_of(' ') + 1);
                EXPECT_TRUE(standsWhole(page, trimmed)) << trimmed << " in\n" << page;
            }
        }
        EXPECT_EQ(page.find('#'), std::string::npos) << page;
    }
}

}  // namespace
}  // namespace quelvane::test
