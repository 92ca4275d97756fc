// Exports a member of 1 000 000 records of 120 bytes, ten fields of mixed types, to a text file
// (by the pair and by stored CCSID), and members of 65 000 such records to an Excel workbook and a Word
// document through the in-process servers; reports the time and the peak memory of each. Not a test: run it
// by hand on a quiet machine.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

#include "bench/BenchmarkMember.h"
#include "export/ExcelExportWriter.h"
#include "export/InProcessAutomationClient.h"
#include "export/TextExportWriter.h"
#include "export/WordExportWriter.h"
#include "savefile/SaveFileReader.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/SaveFileBuilder.h"
#include "views/MemoryContentList.h"

namespace {

using namespace quelvane;
using namespace quelvane::test;
using namespace quelvane::bench;

constexpr std::uint32_t kTextRecords = 1000000;
constexpr std::uint32_t kOfficeRecords = 65000;

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
    if (!reader.parseSaveFile(catalog.path).accepted || catalog.parts.empty()) {
        std::fprintf(stderr, "the built file was not read\n");
        return 1;
    }
    MemoryContentList list;
    ViewSession views(catalog, converter, notifier, list);
    InProcessAutomationClient office(1252);
    ExportSession session(views, office, 1252);
    const std::filesystem::path directory = std::filesystem::temp_directory_path();

    const std::filesystem::path text = directory / "quelvane-bench.txt";
    measure("text, 1 000 000 records", text, [&] {
        return writeTextExport(session, {0, 0, 0}, text.string());
    });
    // The same with the fields read by their stored CCSIDs (none stored here: the chosen page's)
    // and written on into the PC page.
    views.storedCcsidHostPage = 37;
    measure("text by CCSID, 1 000 000 records", text, [&] {
        return writeTextExport(session, {0, 0, 0}, text.string());
    });
    views.storedCcsidHostPage.reset();
    const std::filesystem::path excel = directory / "quelvane-bench.xls";
    measure("Excel, 65 000 records", excel, [&] {
        return writeExcelExport(session, {0, 0, 1}, excel.string());
    });
    const std::filesystem::path word = directory / "quelvane-bench.doc";
    measure("Word, 65 000 records", word, [&] { return writeWordExport(session, {0, 0, 1}, word.string()); });
    std::filesystem::remove(saveFile);
    return 0;
}
