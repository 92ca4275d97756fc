// Lists 100 rows of a member of 10 000 000 records of 120 bytes (or as many as asked) at its
// start, middle and end, as `quelvane-cli show FILE NODE --rows FIRST:100` does, and reports the
// time of each range and of opening the save. Not a test: run it by hand on a quiet machine.
//   bench_list_row_range [RECORDS]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "bench/BenchmarkMember.h"
#include "savefile/CatalogTree.h"
#include "savefile/SaveFileReader.h"
#include "tests/support/Cp037Converter.h"
#include "views/MemberRowRange.h"
#include "views/MemoryContentList.h"
#include "views/NodeContentDisplay.h"

namespace {

using namespace quelvane;
using namespace quelvane::test;
using namespace quelvane::bench;

constexpr unsigned long kDefaultRecords = 10000000;
constexpr unsigned long kMostRecords = 100000000;
constexpr std::int64_t kRows = 100;

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const unsigned long records = argc == 2 ? std::strtoul(argv[1], nullptr, 10) : kDefaultRecords;
    if (argc > 2 || records <= static_cast<unsigned long>(kRows) || records > kMostRecords) {
        std::fprintf(stderr, "Usage: bench_list_row_range [RECORDS], RECORDS from %lld to %lu\n",
                     static_cast<long long>(kRows + 1), kMostRecords);
        return 1;
    }
    std::filesystem::path path = std::filesystem::temp_directory_path() / "quelvane-row-range.savf";
    writeMemberSave(path.string(), static_cast<std::uint32_t>(records));

    auto start = std::chrono::steady_clock::now();
    Catalog catalog;
    Cp037Converter converter;
    SilentNotifier notifier;
    SaveFileReader reader(catalog, converter, notifier);
    catalog.path = path.string();
    if (!reader.parseSaveFile(catalog.path).accepted || catalog.parts.empty()) {
        std::fprintf(stderr, "the built file was not read\n");
        std::filesystem::remove(path);
        return 1;
    }
    buildCatalogTree(catalog);
    std::printf("save of %lu records (%.0f MB) opened in %.4f s\n", records,
                static_cast<double>(std::filesystem::file_size(path)) / 1e6, secondsSince(start));

    int failures = 0;
    const auto last = static_cast<std::int64_t>(records) - kRows;
    for (std::int64_t first : {std::int64_t{0}, last / 2, last}) {
        MemoryContentList list;
        ViewSession session(catalog, converter, notifier, list);
        session.listMember = [first](ViewSession& s, NodeContentTarget& t, MemberRef ref) {
            return showMemberRowRange(s, t, ref, MemberRowRange{first, kRows});
        };
        SilentTarget target;
        start = std::chrono::steady_clock::now();
        ViewOutcome outcome = showNodeContent(session, target, NodePosition{3, 0, 0, 0});
        const double seconds = secondsSince(start);
        std::printf("rows %lld:%lld: %lld listed, %s, %.4f s\n", static_cast<long long>(first),
                    static_cast<long long>(kRows), static_cast<long long>(list.rowCount()),
                    outcome == ViewOutcome::Shown ? "shown" : "failed", seconds);
        failures += list.rowCount() == kRows && outcome == ViewOutcome::Shown ? 0 : 1;
    }
    std::filesystem::remove(path);
    return failures == 0 ? 0 : 1;
}
