#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "savefile/CatalogTree.h"
#include "savefile/SaveFileReader.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/RecordingNotifier.h"
#include "tests/support/SaveFileBuilder.h"

namespace {

using namespace quelvane;
using namespace quelvane::test;

constexpr int kParts = 2;
constexpr int kObjectsPerPart = 1000;
constexpr int kMembersPerFile = 18;
constexpr std::int32_t kSegmentBlocks = 100;

// About 1 GiB: two parts of 1000 objects, half of them physical files with 18 members each,
// and one segment per object and per member (20 002 segments with the parts). Blocks that hold
// nothing are left as holes, so the file is written in a moment.
class LargeSaveFile {
  public:
    LargeSaveFile() {
        path_ = (std::filesystem::temp_directory_path() /
                 ("quelvane-bench-" + std::to_string(::getpid()) + ".savf"))
                    .string();
        SaveFileBuilder builder;
        builder.headerSize = 4096;
        std::vector<BuiltSegment> segments;
        for (int p = 0; p < kParts; ++p) {
            BuiltPart part;
            part.library = "BENCH" + std::to_string(p);
            part.sysbas = true;
            for (int j = 0; j < kObjectsPerPart; ++j) {
                BuiltObject object;
                object.name = "OBJ" + std::to_string(p * kObjectsPerPart + j);
                object.text = "Benchmark object " + std::to_string(j);
                if (j % 2 == 0) {
                    object.attribute = "PF";
                    object.fields = {
                        {"SRCSEQ", 0x0003, 6, 6, 2}, {"SRCDAT", 0x0003, 6, 6}, {"SRCDTA", 0x0004, 80}};
                    for (int k = 0; k < kMembersPerFile; ++k) {
                        std::string member = "M" + std::to_string(k);
                        object.members.push_back(
                            {member, "TXT", "Member " + member, static_cast<std::uint32_t>(k)});
                        segments.push_back({object.name + std::string(10 - object.name.size(), ' ') + member,
                                            kSegmentBlocks,
                                            true,
                                            {}});
                    }
                } else {
                    object.typeCode = 0x0201;
                    object.attribute = "CLP";
                }
                segments.push_back({object.name, kSegmentBlocks, true, {}});
                part.objects.push_back(std::move(object));
            }
            builder.add(std::move(part));
        }
        for (BuiltSegment& segment : segments) {
            builder.add(std::move(segment));
        }
        SaveFileImage image = builder.build();
        image.writeTo(path_, true);
        size_ = image.blockTotal * 528;
    }
    ~LargeSaveFile() { std::remove(path_.c_str()); }

    const std::string& path() const { return path_; }
    std::int64_t size() const { return size_; }

  private:
    std::string path_;
    std::int64_t size_ = 0;
};

const LargeSaveFile& largeFile() {
    static LargeSaveFile file;
    return file;
}

void OpenLargeSaveFile(benchmark::State& state) {
    const LargeSaveFile& file = largeFile();
    Catalog catalog;
    Cp037Converter converter;
    RecordingNotifier notifier;
    std::uint64_t bytesRead = 0;
    for (auto _ : state) {
        catalog.segments.reset();
        SaveFileReader reader(catalog, converter, notifier);
        benchmark::DoNotOptimize(reader.parseSaveFile(file.path()));
        CatalogTree tree = buildCatalogTree(catalog);
        benchmark::DoNotOptimize(tree);
        bytesRead = reader.bytesRead();
    }
    std::int64_t objects = 0;
    for (const auto& part : catalog.parts) {
        objects += part.library.objectCount;
    }
    state.counters["file_MiB"] = static_cast<double>(file.size()) / (1 << 20);
    state.counters["read_MiB"] = static_cast<double>(bytesRead) / (1 << 20);
    state.counters["parts"] = static_cast<double>(catalog.parts.size());
    state.counters["objects"] = static_cast<double>(objects);
    state.counters["segments"] = catalog.segments.fillCount();
    state.counters["messages"] = static_cast<double>(notifier.entries.size());
}
BENCHMARK(OpenLargeSaveFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
