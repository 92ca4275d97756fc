// Real save files shown under the mixed host pages through each backend: the tree's captions and
// every member's rows come out the same.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "conversion/InProcessTextConverter.h"
#include "conversion/icu/IcuConversionBackend.h"
#include "conversion/tables/TableConversionBackend.h"
#include "tests/support/RealFiles.h"
#include "tests/views/ViewsFixture.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

// Counts the texts that hold a shift-out byte: double-byte text of the file's fields.
class CountingConverter final : public EbcdicTextConverter {
  public:
    explicit CountingConverter(ConversionBackend& backend) : converter_(backend) {}

    std::uint32_t ConvertEbcdicText(const std::uint8_t* source, std::size_t length,
                                    std::uint8_t* target) override {
        if (std::find(source, source + length, 0x0E) != source + length) {
            ++shiftOutTexts;
        }
        return converter_.ConvertEbcdicText(source, length, target);
    }

    void setPair(std::int32_t ebcdic, std::int32_t pc) {
        converter_.EbcdicCodePage = ebcdic;
        converter_.PcCodePage = pc;
    }

    int shiftOutTexts = 0;

  private:
    InProcessTextConverter converter_;
};

// Every caption and every row of every member, as "caption|cell|cell" lines.
std::vector<std::string> showEverything(const fs::path& path, CountingConverter& converter) {
    Catalog catalog;
    catalog.path = path.string();
    RecordingNotifier notifier;
    SaveFileReader reader(catalog, converter, notifier);
    reader.parseSaveFile(catalog.path);
    const CatalogTree tree = buildCatalogTree(catalog);
    MemoryContentList list;
    RecordingTarget target(list, catalog);
    ViewSession session(catalog, converter, notifier, list);
    std::vector<std::string> lines;
    if (tree.roots.empty()) {
        return lines;
    }
    const CatalogTreeNode& root = tree.roots.front();
    for (std::size_t p = 0; p < root.children.size(); ++p) {
        for (std::size_t o = 0; o < root.children[p].children.size(); ++o) {
            lines.push_back(root.children[p].children[o].caption);
            for (std::size_t m = 0; m < root.children[p].children[o].children.size(); ++m) {
                showNodeContent(session, target,
                                NodePosition{3, static_cast<std::int32_t>(m), static_cast<std::int32_t>(o),
                                             static_cast<std::int32_t>(p)});
                for (std::int64_t r = 0; r < list.rowCount(); ++r) {
                    std::string line(list.rowCaption(r));
                    for (int c = 0; c < list.cellCount(r); ++c) {
                        line += '|';
                        line += list.cellText(r, c);
                    }
                    lines.push_back(line);
                }
            }
        }
    }
    return lines;
}

// Japanese libraries whose fields and source lines hold shift-out text, each read under every
// mixed host page and that page's PC page: the real bytes are double-byte codes under all of
// them, assigned or not.
TEST(ConversionBackendsRealFiles, ShiftOutTextShowsAlike) {
    const char* const files[] = {"CSCH@009.SAVF", "CSCH@002_v1.SAVF", "GURI_demodb.savf", "GURI_ofdemo.savf"};
    const std::pair<std::int32_t, std::int32_t> pairs[] = {
        {930, 932}, {933, 949}, {935, 936}, {937, 950}, {939, 932}};
    for (const char* file : files) {
        const fs::path path = fs::path(QUELVANE_SAVF_DIR) / file;
        QUELVANE_REQUIRE_REAL_FILE(path);
        for (const auto& [ebcdic, pc] : pairs) {
            SCOPED_TRACE(std::string(file) + " " + std::to_string(ebcdic) + " to " + std::to_string(pc));
            CountingConverter fromIcu(IcuConversionBackend::instance());
            CountingConverter fromTables(TableConversionBackend::instance());
            fromIcu.setPair(ebcdic, pc);
            fromTables.setPair(ebcdic, pc);
            const std::vector<std::string> icuLines = showEverything(path, fromIcu);
            const std::vector<std::string> tableLines = showEverything(path, fromTables);
            EXPECT_GT(icuLines.size(), 10U);
            EXPECT_EQ(icuLines, tableLines);
            EXPECT_GT(fromIcu.shiftOutTexts, 0);
            EXPECT_EQ(fromIcu.shiftOutTexts, fromTables.shiftOutTexts);
        }
    }
}

}  // namespace
}  // namespace quelvane::test
