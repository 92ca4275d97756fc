// Compares two generated saves that differ in a few records: each holds file BIGFILE with one
// member of N records of 120 bytes (default 1 000 000, about 121 MB a save; 8 500 000 makes
// saves of about 1 GB), the second with five records changed. Reports the time, the bytes read
// per second and the peak memory, which should stay flat however large the member. Not a test:
// run it by hand on a quiet machine, with N as the only argument.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "bench/BenchmarkMember.h"
#include "compare/SaveComparer.h"
#include "savefile/FileBlockSource.h"
#include "savefile/SaveFileLayout.h"
#include "tests/support/Cp037Converter.h"
#include "views/OpenedSave.h"

namespace {

using namespace quelvane;

constexpr std::uint32_t kDefaultRecords = 1000000;
constexpr std::int64_t kChangedBlocks[] = {100, 2000, 40000, 60000, 90000};
constexpr std::int64_t kChangedByte = 200;

// Changes one byte in each of a few stream blocks of the save at `path`, whose member stream
// fills the last `streamBlocks` blocks.
void changeFewRecords(const std::string& path, std::int64_t streamBlocks) {
    const std::int64_t fileBlocks =
        static_cast<std::int64_t>(std::filesystem::file_size(path)) / SaveFileLayout::kBlockSize;
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    for (std::int64_t block : kChangedBlocks) {
        if (block >= streamBlocks) {
            continue;
        }
        const std::int64_t at =
            (fileBlocks - streamBlocks + block) * SaveFileLayout::kBlockSize + kChangedByte;
        file.seekg(at);
        char byte = 0;
        file.get(byte);
        file.seekp(at);
        file.put(static_cast<char>(byte ^ 0x01));
    }
}

struct OpenedFile {
    explicit OpenedFile(const std::string& path) : path_(path) {
        save.open([path] { return std::make_unique<FileBlockSource>(path); }, path, converter, notifier);
    }
    ComparedSave compared() {
        ComparedSave out;
        out.catalog = &save.catalog();
        out.stored = [this] { return std::make_unique<FileBlockSource>(path_); };
        out.converter = &converter;
        return out;
    }
    std::string path_;
    test::Cp037Converter converter;
    SilentNotifier notifier;
    OpenedSave save;
};

}  // namespace

int main(int argc, char** argv) {
    const std::uint32_t records =
        argc > 1 ? static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10)) : kDefaultRecords;
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    const std::string before = (folder / "quelvane-compare-bench-a.savf").string();
    const std::string after = (folder / "quelvane-compare-bench-b.savf").string();
    bench::writeMemberSave(before, records);
    bench::writeMemberSave(after, records);
    changeFewRecords(after, bench::streamBlocks(records));

    const auto start = std::chrono::steady_clock::now();
    OpenedFile a(before);
    OpenedFile b(after);
    const SaveComparison comparison = SaveComparer(a.compared(), b.compared(), {}).run("a", "b");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    const double megabytes =
        static_cast<double>(std::filesystem::file_size(before) + std::filesystem::file_size(after)) / 1e6;
    std::int64_t changed = 0;
    for (const ObjectComparison& object : comparison.objects) {
        for (const MemberComparison& member : object.members) {
            changed += member.recordsChanged + member.recordsAdded + member.recordsRemoved;
        }
    }
    std::printf(
        "%u records a save, %.0f MB read in all: %.2f s, %.0f MB/s, %lld records differ, peak %.1f MB\n",
        records, megabytes, seconds, megabytes / seconds, static_cast<long long>(changed),
        bench::peakMegabytes());
    std::filesystem::remove(before);
    std::filesystem::remove(after);
    return 0;
}
