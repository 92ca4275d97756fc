// Exports a member of 1 000 000 records of 120 bytes, ten fields of mixed types, to a text file,
// and members of 65 000 such records to an Excel workbook and a Word document through the
// in-process servers; reports the time and the peak memory of each. Not a test: run it by hand
// on a quiet machine.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "export/ExcelExportWriter.h"
#include "export/InProcessAutomationClient.h"
#include "export/TextExportWriter.h"
#include "export/WordExportWriter.h"
#include "savefile/SaveFileReader.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/SaveFileBuilder.h"
#include "views/MemberRecordStream.h"
#include "views/MemoryContentList.h"

namespace {

using namespace quelvane;
using namespace quelvane::test;

constexpr std::uint32_t kTextRecords = 1000000;
constexpr std::uint32_t kOfficeRecords = 65000;
constexpr std::int64_t kBlock = 528;
constexpr std::int64_t kBody = 512;
constexpr std::int64_t kHeader = 32;
constexpr std::int32_t kRecordLength = 120;

const std::vector<BuiltField> kFields = {
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

// The member's stream, written block by block after the file the builder made.
void writeStream(const std::string& path, std::int64_t firstBlock, std::uint32_t records) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(firstBlock * kBlock);
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
            stream.push_back(0x80);
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

// A save file holding BIGFILE with members TEXT (a million records) and OFFICE (65 000).
std::filesystem::path buildSaveFile() {
    BuiltObject file;
    file.name = "BIGFILE";
    file.attribute = "PF";
    file.fields = kFields;
    file.members = {{"TEXT", "", "", kTextRecords}, {"OFFICE", "", "", kOfficeRecords}};
    BuiltPart part;
    part.objects = {file};
    SaveFileBuilder builder;
    builder.add(part);
    for (const auto& [name, records] :
         {std::pair{"TEXT", kTextRecords}, std::pair{"OFFICE", kOfficeRecords}}) {
        BuiltSegment member;
        member.name = std::string("BIGFILE   ") + name;
        member.length = static_cast<std::int32_t>(16 + streamBlocks(records));
        builder.add(member);
    }
    const SaveFileImage image = builder.build();
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "quelvane-export-bench.savf";
    image.writeTo(path.string(), true);
    const auto& segments = image.layout.segments;
    writeStream(path.string(), segments[segments.size() - 2].headerBlock + 16, kTextRecords);
    writeStream(path.string(), segments.back().headerBlock + 16, kOfficeRecords);
    return path;
}

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void measure(const char* what, const std::filesystem::path& out, const std::function<ExportOutcome()>& run) {
    const double before = peakMegabytes();
    const auto start = std::chrono::steady_clock::now();
    const ExportOutcome outcome = run();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::error_code error;
    std::printf("%-34s %s, %8.3f s, %10lld bytes, peak memory %7.1f MB (%.1f MB before)\n", what,
                outcome == ExportOutcome::Written ? "written" : "FAILED", seconds,
                static_cast<long long>(std::filesystem::file_size(out, error)), peakMegabytes(), before);
    std::filesystem::remove(out, error);
}

}  // namespace

int main() {
    const std::filesystem::path saveFile = buildSaveFile();
    Catalog catalog;
    Cp037Converter converter;
    SilentNotifier notifier;
    catalog.path = saveFile.string();
    SaveFileReader reader(catalog, converter, notifier);
    if (reader.parseSaveFile(catalog.path) != 0 || catalog.parts.empty()) {
        std::fprintf(stderr, "the built file was not read\n");
        return 1;
    }
    MemoryContentList list;
    ViewSession views(catalog, converter, notifier, list);
    InProcessAutomationClient office(1252);
    ExportSession session(views, office, 1252);
    const std::filesystem::path directory = std::filesystem::temp_directory_path();

    const std::filesystem::path text = directory / "quelvane-bench.txt";
    measure("text, 1 000 000 records", text,
            [&] { return writeTextExport(session, 0, 0, 0, text.string()); });
    const std::filesystem::path excel = directory / "quelvane-bench.xls";
    measure("Excel, 65 000 records", excel,
            [&] { return writeExcelExport(session, 0, 0, 1, excel.string()); });
    const std::filesystem::path word = directory / "quelvane-bench.doc";
    measure("Word, 65 000 records", word, [&] { return writeWordExport(session, 0, 0, 1, word.string()); });
    std::filesystem::remove(saveFile);
    return 0;
}
