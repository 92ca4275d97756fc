// Extracts a save of many members, and several saves one after another, with the members
// written on one thread and then on two, through the real conversion modules: elapsed and
// processor time of each, the speed-up of two jobs over one, and whether the files written are
// the same. Every figure is the median of a few runs. Not a test: run it by hand, and on a shared
// machine read the ratio rather than the seconds.
//
//   bench_extract_parallel [MEMBERS [RECORDS [SAVES [RUNS]]]]
// defaults: 40 members of 50 000 records; 4 saves of a quarter of the members each; 3 runs.
//   bench_extract_parallel --write OUT.savf [MEMBERS [RECORDS]]
// only writes the save of many members, to time quelvane-cli extract --jobs with.


#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "bench/BenchmarkMember.h"
#include "conversion/ConversionLayer.h"
#include "extract/SaveFileExtractor.h"
#include "savefile/SaveFileReader.h"
#include "tests/support/SaveFileBuilder.h"

namespace {

using namespace quelvane;
using namespace quelvane::test;
using namespace quelvane::bench;
namespace fs = std::filesystem;

constexpr std::int32_t kEbcdicPage = 37;
constexpr std::int32_t kPcPage = 1252;

std::string memberName(std::uint32_t n) {
    std::string digits = std::to_string(n);
    return "M" + std::string(digits.size() < 4 ? 4 - digits.size() : 0, '0') + digits;
}

// A save of BIGFILE with `members` members of `records` records each, the bench member's records.
fs::path buildSaveFile(const fs::path& path, std::uint32_t members, std::uint32_t records) {
    BuiltObject file;
    file.name = "BIGFILE";
    file.attribute = "PF";
    file.fields = kFields;
    SaveFileBuilder builder;
    std::vector<BuiltSegment> segments;
    for (std::uint32_t m = 0; m < members; ++m) {
        file.members.push_back({memberName(m), "", "", records});
        BuiltSegment member;
        member.name = "BIGFILE   " + memberName(m);
        member.length = static_cast<std::int32_t>(16 + streamBlocks(records));
        segments.push_back(member);
    }
    BuiltPart part;
    part.library = "BENCH";
    part.objects = {file};
    builder.add(part);
    for (BuiltSegment& segment : segments) {
        builder.add(std::move(segment));
    }
    const SaveFileImage image = builder.build();
    image.writeTo(path.string(), true);
    const std::size_t first = image.layout.segments.size() - members;
    for (std::uint32_t m = 0; m < members; ++m) {
        writeStream(path.string(), image.layout.segments[first + m].headerBlock + 16, records);
    }
    return path;
}

std::map<std::string, std::string> treeOf(const fs::path& root) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            tree[fs::relative(entry.path(), root).string()] =
                std::string(std::istreambuf_iterator<char>(in), {});
        }
    }
    return tree;
}

struct Timing {
    double elapsed = 0;
    double cpu = 0;
    bool written = true;
};

// The saves extracted one after another into OUT/<save>, as quelvane-cli extract does.
Timing extractAll(const std::vector<Catalog>& catalogs, ConversionLayer& conversion, std::size_t jobs,
                  const fs::path& out) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = cpuSeconds();
    Timing timing;
    for (const Catalog& catalog : catalogs) {
        SaveFileExtractor extractor(catalog, conversion, kPcPage);
        extractor.setJobs(jobs);
        NoProgress progress;
        const std::string name = fs::path(catalog.path).filename().string();
        const ExtractOutcome outcome = extractor.run(out / name, nullptr, name, progress);
        timing.written = timing.written && outcome.failures.empty() && !outcome.cancelled;
    }
    timing.elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    timing.cpu = cpuSeconds() - cpuStart;
    return timing;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void measure(const char* what, const std::vector<Catalog>& catalogs, ConversionLayer& conversion,
             const fs::path& out, int runs, std::uint64_t records) {
    std::map<std::size_t, std::vector<double>> elapsed;
    std::map<std::size_t, std::vector<double>> cpu;
    bool written = true;
    for (int run = 0; run < runs; ++run) {
        for (std::size_t jobs : {1, 2}) {
            std::error_code error;
            fs::remove_all(out, error);
            const Timing timing = extractAll(catalogs, conversion, jobs, out);
            written = written && timing.written;
            elapsed[jobs].push_back(timing.elapsed);
            cpu[jobs].push_back(timing.cpu);
        }
    }
    std::error_code error;
    fs::remove_all(out, error);
    extractAll(catalogs, conversion, 1, out / "one");
    extractAll(catalogs, conversion, 2, out / "two");
    const bool same = treeOf(out / "one") == treeOf(out / "two");
    fs::remove_all(out, error);
    const double one = median(elapsed[1]);
    const double two = median(elapsed[2]);
    std::printf("%s, %llu records: %s, files %s\n", what, static_cast<unsigned long long>(records),
                written ? "written" : "FAILED", same ? "the same" : "DIFFER");
    for (std::size_t jobs : {1, 2}) {
        const double seconds = median(elapsed[jobs]);
        std::printf(
            "  jobs %zu: %6.2f s elapsed (min %.2f, max %.2f), %6.2f s processor time, %5.2f M records/s\n",
            jobs, seconds, *std::min_element(elapsed[jobs].begin(), elapsed[jobs].end()),
            *std::max_element(elapsed[jobs].begin(), elapsed[jobs].end()), median(cpu[jobs]),
            static_cast<double>(records) / seconds / 1e6);
    }
    std::printf("  speed-up of 2 jobs over 1: %.2f (elapsed, medians of %d runs)\n", one / two, runs);
}

bool openCatalog(const fs::path& path, ConversionLayer& conversion, Catalog& catalog) {
    SilentNotifier notifier;
    catalog.path = path.string();
    SaveFileReader reader(catalog, conversion, notifier);
    return reader.parseSaveFile(catalog.path).accepted && !catalog.parts.empty();
}

}  // namespace

int main(int argc, char** argv) {
    const auto argument = [&](int i, unsigned long fallback) {
        return argc > i ? std::strtoul(argv[i], nullptr, 10) : fallback;
    };
    if (argc > 2 && std::string(argv[1]) == "--write") {
        buildSaveFile(argv[2], static_cast<std::uint32_t>(argument(3, 40)),
                      static_cast<std::uint32_t>(argument(4, 50000)));
        return 0;
    }
    const auto members = static_cast<std::uint32_t>(argument(1, 40));
    const auto records = static_cast<std::uint32_t>(argument(2, 50000));
    const auto saves = static_cast<std::uint32_t>(std::max(1ul, argument(3, 4)));
    const int runs = static_cast<int>(std::max(1ul, argument(4, 3)));
    const fs::path directory = fs::temp_directory_path() / "quelvane-extract-parallel-bench";
    fs::create_directories(directory);
    SilentNotifier notifier;
    ConversionLayer conversion(notifier, programDirectory());
    if (!conversion.BindNlsLibrary()) {
        std::fprintf(stderr, "the conversion modules could not be loaded\n");
        return 1;
    }
    conversion.EbcdicCodePage = kEbcdicPage;
    conversion.PcCodePage = kPcPage;
    std::vector<Catalog> one(1);
    std::vector<Catalog> several(saves);
    bool opened = openCatalog(buildSaveFile(directory / "MANY.SAVF", members, records), conversion, one[0]);
    for (std::uint32_t s = 0; s < saves; ++s) {
        const fs::path path = directory / ("PART" + std::to_string(s) + ".SAVF");
        opened = opened && openCatalog(buildSaveFile(path, std::max(1u, members / saves), records),
                                       conversion, several[s]);
    }
    if (!opened) {
        std::fprintf(stderr, "the built files were not read\n");
        return 1;
    }
    std::printf("%u hardware threads\n", static_cast<unsigned>(ParallelMemberRuns::hardwareWorkers()));
    const std::string many = "one save of " + std::to_string(members) + " members";
    measure(many.c_str(), one, conversion, directory / "out", runs, std::uint64_t{members} * records);
    const std::string each = std::to_string(saves) + " saves of " +
                             std::to_string(std::max(1u, members / saves)) + " members each";
    measure(each.c_str(), several, conversion, directory / "out", runs,
            std::uint64_t{saves} * std::max(1u, members / saves) * records);
    std::error_code error;
    fs::remove_all(directory, error);
    return 0;
}
