// Lists a member of 1 000 000 records of 120 bytes, ten fields of mixed types, into the in-memory
// content list, and reports the time and the peak memory of the listing. Not a test: run it by
// hand on a quiet machine.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "savefile/CatalogTree.h"
#include "savefile/SaveFileReader.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/SaveFileBuilder.h"
#include "views/MemberRecordStream.h"
#include "views/MemoryContentList.h"
#include "views/NodeContentDisplay.h"

namespace {

using namespace quelvane;
using namespace quelvane::test;

constexpr std::uint32_t kRecords = 1000000;
constexpr std::int64_t kBlock = 528;
constexpr std::int64_t kBody = 512;

const std::vector<BuiltField> kFields = {
    {"NAME", 0x0403, 30},       {"CITY", 0x0403, 20},     {"AMOUNT", 0x0303, 5, 9, 2},
    {"PRICE", 0x0303, 4, 7, 2}, {"QTY", 0x0203, 7, 7, 0}, {"CODE", 0x0203, 5, 5, 2},
    {"COUNT", 0x0003, 4, 9, 0}, {"DAY", 0x0B03, 4},       {"TIME", 0x0C03, 3},
    {"NOTE", 0x0403, 38},
};
constexpr std::int32_t kRecordLength = 120;

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

// The member's stream, written block by block after the file the builder made.
void writeStream(const std::string& path, std::int64_t firstBlock, std::int64_t blocks) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(firstBlock * kBlock);
    std::vector<std::uint8_t> stream(static_cast<std::size_t>(kRecordLength) + 1, 0xEE);
    std::size_t used = 0;
    std::uint32_t next = 0;
    std::vector<std::uint8_t> block(kBlock);
    for (std::int64_t b = 0; b < blocks; ++b) {
        std::fill(block.begin(), block.end(), 0);
        bool header = MemberRecordStream::isHeaderBlock(b);
        std::size_t room = header ? kBody - 32 : kBody;
        while (stream.size() - used < room && next < kRecords) {
            stream.erase(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(used));
            used = 0;
            stream.push_back(0x80);
            std::vector<std::uint8_t> r = record(next++);
            stream.insert(stream.end(), r.begin(), r.end());
        }
        std::size_t take = std::min(room, stream.size() - used);
        std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(used), take,
                    block.begin() + (header ? 32 : 0));
        used += take;
        std::vector<std::uint8_t> sequence(4);
        SaveFileBuilder::putU32(sequence, 0, static_cast<std::uint32_t>(firstBlock + b + 1));
        std::copy(sequence.begin(), sequence.end(), block.begin() + kBody);
        file.write(reinterpret_cast<const char*>(block.data()), kBlock);
    }
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class NoTarget final : public NodeContentTarget {
  public:
    void RefreshTitle() override {}
    void setLabel1(const std::string&) override {}
    void setLabel2(const std::string&) override {}
    void enableExport(bool) override {}
    void enableBatch(bool) override {}
    void ShowVersion() override {}
};

}  // namespace

int main() {
    std::int64_t streamBytes = (std::int64_t{kRecords} + 1) * (kRecordLength + 1);
    std::int64_t streamBlocks = streamBytes / (kBody - 32) + 2;
    BuiltPart part;
    BuiltObject file;
    file.name = "BIGFILE";
    file.attribute = "PF";
    file.fields = kFields;
    file.members = {{"BIGMBR", "", "One million records", kRecords}};
    part.objects = {file};
    BuiltSegment member;
    member.name = "BIGFILE   BIGMBR";
    member.length = static_cast<std::int32_t>(16 + streamBlocks);
    SaveFileBuilder builder;
    builder.add(part);
    builder.add(member);
    SaveFileImage image = builder.build();
    std::filesystem::path path = std::filesystem::temp_directory_path() / "quelvane-million-records.savf";
    image.writeTo(path.string(), true);
    writeStream(path.string(), image.layout.segments.back().headerBlock + 16, streamBlocks);

    Catalog catalog;
    Cp037Converter converter;
    SilentNotifier notifier;
    SaveFileReader reader(catalog, converter, notifier);
    catalog.path = path.string();
    if (reader.parseSaveFile(catalog.path) != 0 || catalog.parts.empty()) {
        std::fprintf(stderr, "the built file was not read\n");
        return 1;
    }
    buildCatalogTree(catalog);

    MemoryContentList list;
    ViewSession session(catalog, converter, notifier, list);
    NoTarget target;
    long before = peakKilobytes();
    auto start = std::chrono::steady_clock::now();
    ViewOutcome outcome = showNodeContent(session, target, NodePosition{3, 0, 0, 0});
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    long after = peakKilobytes();
    std::filesystem::remove(path);

    std::printf("records listed: %lld rows, %d columns, outcome %s\n",
                static_cast<long long>(list.rowCount()), list.columnCount(),
                outcome == ViewOutcome::Shown ? "shown" : "failed");
    std::printf("row 999999: %.*s | %.*s | %.*s\n", static_cast<int>(list.rowCaption(999999).size()),
                list.rowCaption(999999).data(), static_cast<int>(list.cellText(999999, 2).size()),
                list.cellText(999999, 2).data(), static_cast<int>(list.cellText(999999, 7).size()),
                list.cellText(999999, 7).data());
    std::printf("time: %.3f s\n", seconds);
    std::printf("peak memory: %.1f MB (%.1f MB before the listing)\n", after / 1024.0, before / 1024.0);
    return list.rowCount() == kRecords ? 0 : 1;
}
