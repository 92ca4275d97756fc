// Opens a save holding a member of 1 000 000 records of 120 bytes and lists the member, once
// stored and once as each compression coding the test compressor writes (run-length, and LZ1
// chunks of literals), all through the real reader, expansion and records view. Reports the
// open and listing times and the listing's ratio to the stored one. Not a test: run it by hand
// on a quiet machine.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "bench/BenchmarkMember.h"
#include "savefile/CatalogTree.h"
#include "savefile/SaveFileReader.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/SaveFileBuilder.h"
#include "tests/support/SaveFileCompressor.h"
#include "views/MemoryContentList.h"
#include "views/NodeContentDisplay.h"

namespace {

using namespace quelvane;
using namespace quelvane::test;
using namespace quelvane::bench;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kRecords = 1000000;

struct Timing {
    double open = 0;
    double list = 0;
    std::int64_t rows = 0;
};

Timing openAndList(const std::string& path) {
    Catalog catalog;
    Cp037Converter converter;
    SilentNotifier notifier;
    SaveFileReader reader(catalog, converter, notifier);
    catalog.path = path;
    Timing timing;
    auto start = Clock::now();
    if (!reader.parseSaveFile(catalog.path).accepted || catalog.parts.empty()) {
        return timing;
    }
    buildCatalogTree(catalog);
    timing.open = std::chrono::duration<double>(Clock::now() - start).count();
    MemoryContentList list;
    ViewSession session(catalog, converter, notifier, list);
    SilentTarget target;
    start = Clock::now();
    showNodeContent(session, target, NodePosition{3, 0, 0, 0});
    timing.list = std::chrono::duration<double>(Clock::now() - start).count();
    timing.rows = list.rowCount();
    return timing;
}

void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main() {
    const auto folder = std::filesystem::temp_directory_path();
    const auto stored = folder / "quelvane-bench-stored.savf";
    writeMemberSave(stored.string(), kRecords, 4096);

    std::ifstream in(stored, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    struct Variant {
        const char* name;
        std::filesystem::path path;
    };
    std::vector<Variant> variants = {{"stored", stored}};
    for (auto [name, coding] : {std::pair{"run-length", SaveFileCompressor::Coding::RunLength},
                                std::pair{"LZ1 literals", SaveFileCompressor::Coding::Lz1Literals}}) {
        SaveFileCompressor compressor;
        compressor.coding = coding;
        const auto path =
            folder / (std::string("quelvane-bench-") +
                      (coding == SaveFileCompressor::Coding::RunLength ? "rle" : "lz1") + ".savf");
        writeBytes(path, compressor.compress(bytes));
        variants.push_back({name, path});
    }

    double storedList = 0;
    bool complete = true;
    for (const Variant& variant : variants) {
        const Timing timing = openAndList(variant.path.string());
        if (storedList == 0) {
            storedList = timing.list;
        }
        std::printf("%-13s file %7.1f MB  open %.3f s  list %lld rows in %.3f s  (%.2fx stored)\n",
                    variant.name, static_cast<double>(std::filesystem::file_size(variant.path)) / 1e6,
                    timing.open, static_cast<long long>(timing.rows), timing.list, timing.list / storedList);
        complete = complete && timing.rows == kRecords;
        std::filesystem::remove(variant.path);
    }
    return complete ? 0 : 1;
}
