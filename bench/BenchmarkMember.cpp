#include "bench/BenchmarkMember.h"

#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "views/MemberRecordStream.h"

namespace quelvane::bench {

namespace {

using test::SaveFileBuilder;

constexpr std::int64_t kBlock = 528;
constexpr std::int64_t kBody = 512;
constexpr std::int64_t kHeader = 32;
constexpr std::uint8_t kPresent = 0x80;

}  // namespace

const std::vector<test::BuiltField> kFields = {
    {"NAME", 0x0403, 30},       {"CITY", 0x0403, 20},     {"AMOUNT", 0x0303, 5, 9, 2},
    {"PRICE", 0x0303, 4, 7, 2}, {"QTY", 0x0203, 7, 7, 0}, {"CODE", 0x0203, 5, 5, 2},
    {"COUNT", 0x0003, 4, 9, 0}, {"DAY", 0x0B03, 4},       {"TIME", 0x0C03, 3},
    {"NOTE", 0x0403, 38},
};

std::vector<std::uint8_t> record(std::uint32_t n) {
    std::vector<std::uint8_t> bytes;
    auto append = [&](const std::vector<std::uint8_t>& more) {
        bytes.insert(bytes.end(), more.begin(), more.end());
    };
    append(SaveFileBuilder::ebcdic("CUSTOMER " + std::to_string(n), 30));
    append(SaveFileBuilder::ebcdic(n % 2 ? "ZURICH" : "BASEL", 20));
    append({0x00, 0x12, 0x34, static_cast<std::uint8_t>(0x50 | (n % 10)), 0x6F});
    append({0x01, 0x23, 0x45, 0x6D});
    append({0xF0, 0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5});
    append({0xF9, 0xF8, 0xF7, 0xF6, 0xD5});
    std::vector<std::uint8_t> numbers(11, 0);
    SaveFileBuilder::putU32(numbers, 0, n);
    SaveFileBuilder::putU32(numbers, 4, 2451545 + n % 3000);
    numbers[8] = 0xF1;
    numbers[9] = 0xF2;
    numbers[10] = 0xF3;
    append(numbers);
    append(SaveFileBuilder::ebcdic("NOTE FOR RECORD " + std::to_string(n), 38));
    return bytes;
}

std::int64_t streamBlocks(std::uint32_t records) {
    return (std::int64_t{records} + 1) * (kRecordLength + 1) / (kBody - kHeader) + 2;
}

void writeStream(const std::string& path, std::int64_t firstBlock, std::uint32_t records) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(firstBlock * kBlock);
    // The first slot is never a record; its bytes only have to be there.
    std::vector<std::uint8_t> stream(static_cast<std::size_t>(kRecordLength) + 1, 0xEE);
    std::size_t used = 0;
    std::uint32_t next = 0;
    std::vector<std::uint8_t> block(kBlock);
    for (std::int64_t b = 0; b < streamBlocks(records); ++b) {
        std::fill(block.begin(), block.end(), 0);
        const bool header = MemberRecordStream::isHeaderBlock(b);
        const std::size_t room = header ? kBody - kHeader : kBody;
        while (stream.size() - used < room && next < records) {
            stream.erase(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(used));
            used = 0;
            stream.push_back(kPresent);
            const std::vector<std::uint8_t> r = record(next++);
            stream.insert(stream.end(), r.begin(), r.end());
        }
        const std::size_t take = std::min(room, stream.size() - used);
        std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(used), take,
                    block.begin() + (header ? kHeader : 0));
        used += take;
        std::vector<std::uint8_t> sequence(4);
        SaveFileBuilder::putU32(sequence, 0, static_cast<std::uint32_t>(firstBlock + b + 1));
        std::copy(sequence.begin(), sequence.end(), block.begin() + kBody);
        file.write(reinterpret_cast<const char*>(block.data()), kBlock);
    }
}

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::string programDirectory() {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).parent_path().string();
}

void writeMemberSave(const std::string& path, std::uint32_t records, std::int32_t headerSize) {
    test::BuiltPart part;
    test::BuiltObject file;
    file.name = "BIGFILE";
    file.attribute = "PF";
    file.fields = kFields;
    file.members = {{"BIGMBR", "", "Many records", records}};
    part.objects = {file};
    test::BuiltSegment member;
    member.name = "BIGFILE   BIGMBR";
    member.length = static_cast<std::int32_t>(16 + streamBlocks(records));
    SaveFileBuilder builder;
    builder.headerSize = headerSize;
    builder.add(part);
    builder.add(member);
    const test::SaveFileImage image = builder.build();
    image.writeTo(path, true);
    writeStream(path, image.layout.segments.back().headerBlock + 16, records);
}

}  // namespace quelvane::bench
