// The record check over a generated save of about 1 GB (or as many MB as the first argument
// says): the fold alone over records in memory, a plain read of the file in the check's runs, and
// the whole check (grid and every record) over the same file from the page cache. The difference
// between the last two is what checking every record adds.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "savefile/FileBlockSource.h"
#include "savefile/RecordCheck.h"
#include "savefile/SaveFileCheck.h"
#include "tests/support/SaveFileBuilder.h"

namespace {

using namespace quelvane;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kRecord = RecordCheck::kRecordSize;
constexpr std::size_t kChunkRecords = 4096;
constexpr std::int64_t kRunBlocks = 64;

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// A chunk of records with varied bodies, numbered from `first`, sealed with `check`.
void fillChunk(std::vector<std::uint8_t>& chunk, std::size_t first, const RecordCheck& check) {
    std::uint32_t seed = static_cast<std::uint32_t>(first) * 2654435761u + 1;
    for (std::size_t r = 0; r < kChunkRecords; ++r) {
        std::uint8_t* record = chunk.data() + r * kRecord;
        for (std::size_t i = 0; i < 512; i += 4) {
            seed = seed * 1103515245u + 12345u;
            record[i] = static_cast<std::uint8_t>(seed >> 24);
            record[i + 1] = static_cast<std::uint8_t>(seed >> 16);
            record[i + 2] = 0x40;
            record[i + 3] = static_cast<std::uint8_t>(seed >> 8);
        }
        const auto sequence = static_cast<std::uint32_t>(first + r + 1);
        for (int b = 0; b < 4; ++b) {
            record[512 + b] = static_cast<std::uint8_t>(sequence >> (24 - 8 * b));
        }
        check.seal(std::span<std::uint8_t, kRecord>(record, kRecord));
    }
}

std::size_t writeSave(const std::string& path, std::size_t records) {
    std::vector<std::uint8_t> chunk(kChunkRecords * kRecord);
    const RecordCheck check(RecordCheck::Timestamp{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0});
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::size_t written = 0;
    while (written < records) {
        fillChunk(chunk, written, check);
        if (written == 0) {
            const std::vector<std::uint8_t> stamp = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};
            std::copy(stamp.begin(), stamp.end(), chunk.begin());
            std::vector<std::uint8_t> head(chunk.begin(), chunk.begin() + kRecord);
            test::SaveFileBuilder::putU32(head, 8, static_cast<std::uint32_t>(records));
            test::SaveFileBuilder::putU32(head, 52, 512);
            test::SaveFileBuilder::putU32(head, 60, static_cast<std::uint32_t>(records));
            check.seal(std::span<std::uint8_t, kRecord>(head.data(), kRecord));
            std::copy(head.begin(), head.end(), chunk.begin());
        }
        const std::size_t take = std::min(kChunkRecords, records - written);
        out.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(take * kRecord));
        written += take;
    }
    return written;
}

double foldRate(std::size_t records) {
    std::vector<std::uint8_t> chunk(kChunkRecords * kRecord);
    const RecordCheck check(RecordCheck::Timestamp{});
    fillChunk(chunk, 0, check);
    std::size_t holding = 0;
    const Clock::time_point start = Clock::now();
    for (std::size_t done = 0; done < records; done += kChunkRecords) {
        for (std::size_t r = 0; r < kChunkRecords; ++r) {
            holding +=
                check.holds(std::span<const std::uint8_t, kRecord>(chunk.data() + r * kRecord, kRecord));
        }
    }
    const double took = seconds(start);
    if (holding == 0) {
        std::printf("(no record held)\n");
    }
    return static_cast<double>(records / kChunkRecords * kChunkRecords * kRecord) / took / 1e6;
}

double readPass(const std::string& path) {
    FileBlockSource source(path);
    std::vector<std::uint8_t> run(static_cast<std::size_t>(kRunBlocks) * kRecord);
    const Clock::time_point start = Clock::now();
    for (std::int64_t at = 0; at < source.size(); at += static_cast<std::int64_t>(run.size())) {
        source.readAt(at, run.data(), static_cast<std::int64_t>(run.size()));
    }
    return seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000;
    const std::size_t records = megabytes * 1000 * 1000 / kRecord;
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("quelvane-record-check-" + std::to_string(::getpid()) + ".savf"))
                                 .string();
    std::printf("fold alone, one core: %.0f MB/s\n", foldRate(records));
    writeSave(path, records);
    readPass(path);  // into the page cache
    const double read = readPass(path);
    FileBlockSource source(path);
    const Clock::time_point start = Clock::now();
    const SaveFileCheckReport report = SaveFileCheck::examine(source);
    const double checked = seconds(start);
    const double size = static_cast<double>(source.size());
    std::printf(
        "%zu records (%.0f MB): plain read %.2f s (%.0f MB/s), check %.2f s (%.0f MB/s), "
        "the check adds %.2f s; %lld of %lld intact\n",
        records, size / 1e6, read, size / read / 1e6, checked, size / checked / 1e6, checked - read,
        static_cast<long long>(report.recordsIntact), static_cast<long long>(report.recordsChecked));
    std::filesystem::remove(path);
    return report.recordsIntact == report.recordsChecked ? 0 : 1;
}
