// Extracts a member of 1 000 000 records of 120 bytes, ten fields of mixed types, through the
// real conversion modules: once to CSV alone, once to CSV and the SQLite database together.
// Reports records per second and the peak memory of each run. Not a test: run it by hand on a
// quiet machine.


#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "bench/BenchmarkMember.h"
#include "conversion/ConversionLayer.h"
#include "extract/SaveFileExtractor.h"
#include "extract/SqliteWriter.h"
#include "savefile/SaveFileReader.h"
#include "tests/support/SaveFileBuilder.h"

namespace {

using namespace quelvane;
using namespace quelvane::test;
using namespace quelvane::bench;

constexpr std::uint32_t kRecords = 1000000;
constexpr std::int32_t kEbcdicPage = 37;
constexpr std::int32_t kPcPage = 1252;

// A save file holding BIGFILE with the single member DATA of a million records.
std::filesystem::path buildSaveFile(const std::filesystem::path& directory) {
    BuiltObject file;
    file.name = "BIGFILE";
    file.attribute = "PF";
    file.fields = kFields;
    file.members = {{"DATA", "", "", kRecords}};
    BuiltPart part;
    part.library = "BENCH";
    part.objects = {file};
    SaveFileBuilder builder;
    builder.add(part);
    BuiltSegment member;
    member.name = "BIGFILE   DATA";
    member.length = static_cast<std::int32_t>(16 + streamBlocks(kRecords));
    builder.add(member);
    const SaveFileImage image = builder.build();
    const std::filesystem::path path = directory / "quelvane-extract-bench.savf";
    image.writeTo(path.string(), true);
    writeStream(path.string(), image.layout.segments.back().headerBlock + 16, kRecords);
    return path;
}

void measure(const char* what, SaveFileExtractor& extractor, const std::filesystem::path& out,
             const std::filesystem::path& database) {
    const double before = peakMegabytes();
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = cpuSeconds();
    SqliteWriter writer;
    if (!database.empty()) {
        writer.open(database);
    }
    NoProgress progress;
    const ExtractOutcome outcome =
        extractor.run(out, database.empty() ? nullptr : &writer, "quelvane-extract-bench.savf", progress);
    // The database's commit writes it to the disk and waits for that: on a slow disk it can take
    // longer than the extraction, so it is told apart.
    const double beforeCommit =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    writer.commit();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = cpuSeconds() - cpuStart;
    std::error_code error;
    const auto csvBytes = std::filesystem::file_size(out / "BENCH" / "BIGFILE" / "DATA.csv", error);
    const auto dbBytes = database.empty() ? 0 : std::filesystem::file_size(database, error);
    std::printf(
        "%-23s %s: %6.2f s elapsed (%6.2f s before the database's commit, %8.0f records per second), "
        "%6.2f s processor time, %8.0f records per processor second, "
        "CSV %lld bytes, database %lld bytes, peak memory %5.1f MB (%.1f MB before)\n",
        what, outcome.failures.empty() && outcome.membersWritten == 1 ? "written" : "FAILED", seconds,
        beforeCommit, kRecords / beforeCommit, cpu, kRecords / cpu, static_cast<long long>(csvBytes),
        static_cast<long long>(dbBytes), peakMegabytes(), before);
    std::filesystem::remove_all(out, error);
    std::filesystem::remove(database, error);
}

}  // namespace

int main() {
    const std::filesystem::path directory = std::filesystem::temp_directory_path();
    const std::filesystem::path saveFile = buildSaveFile(directory);
    SilentNotifier notifier;
    ConversionLayer conversion(notifier, programDirectory());
    if (!conversion.BindNlsLibrary()) {
        std::fprintf(stderr, "the conversion modules could not be loaded\n");
        return 1;
    }
    conversion.EbcdicCodePage = kEbcdicPage;
    conversion.PcCodePage = kPcPage;
    Catalog catalog;
    catalog.path = saveFile.string();
    SaveFileReader reader(catalog, conversion, notifier);
    if (!reader.parseSaveFile(catalog.path).accepted || catalog.parts.empty()) {
        std::fprintf(stderr, "the built file was not read\n");
        return 1;
    }
    SaveFileExtractor extractor(catalog, conversion, kPcPage);
    measure("CSV, 1 000 000", extractor, directory / "quelvane-extract-bench", {});
    measure("CSV + SQLite, 1 000 000", extractor, directory / "quelvane-extract-bench",
            directory / "quelvane-extract-bench.db");
    std::filesystem::remove(saveFile);
    return 0;
}
