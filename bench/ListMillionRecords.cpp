// Lists a member of 1 000 000 records of 120 bytes, ten fields of mixed types, into the in-memory
// content list, and reports the time and the peak memory of the listing. Not a test: run it by
// hand on a quiet machine.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "bench/BenchmarkMember.h"
#include "savefile/CatalogTree.h"
#include "savefile/SaveFileReader.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/SaveFileBuilder.h"
#include "views/MemoryContentList.h"
#include "views/NodeContentDisplay.h"

namespace {

using namespace quelvane;
using namespace quelvane::test;
using namespace quelvane::bench;

constexpr std::uint32_t kRecords = 1000000;

}  // namespace

int main() {
    std::filesystem::path path = std::filesystem::temp_directory_path() / "quelvane-million-records.savf";
    writeMemberSave(path.string(), kRecords);

    Catalog catalog;
    Cp037Converter converter;
    SilentNotifier notifier;
    SaveFileReader reader(catalog, converter, notifier);
    catalog.path = path.string();
    if (!reader.parseSaveFile(catalog.path).accepted || catalog.parts.empty()) {
        std::fprintf(stderr, "the built file was not read\n");
        return 1;
    }
    buildCatalogTree(catalog);

    MemoryContentList list;
    ViewSession session(catalog, converter, notifier, list);
    SilentTarget target;
    double before = peakMegabytes();
    auto start = std::chrono::steady_clock::now();
    ViewOutcome outcome = showNodeContent(session, target, NodePosition{3, 0, 0, 0});
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double after = peakMegabytes();
    std::filesystem::remove(path);

    std::printf("records listed: %lld rows, %d columns, outcome %s\n",
                static_cast<long long>(list.rowCount()), list.columnCount(),
                outcome == ViewOutcome::Shown ? "shown" : "failed");
    std::printf("row 999999: %.*s | %.*s | %.*s\n", static_cast<int>(list.rowCaption(999999).size()),
                list.rowCaption(999999).data(), static_cast<int>(list.cellText(999999, 2).size()),
                list.cellText(999999, 2).data(), static_cast<int>(list.cellText(999999, 7).size()),
                list.cellText(999999, 7).data());
    std::printf("time: %.3f s\n", seconds);
    std::printf("peak memory: %.1f MB (%.1f MB before the listing)\n", after, before);
    return list.rowCount() == kRecords ? 0 : 1;
}
