#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <memory>
#include <span>

#include "export/IfsEntryExport.h"
#include "extract/SaveFileExtractor.h"
#include "extract/SqliteWriter.h"
#include "savefile/ExpandedBlockSource.h"
#include "savefile/FileBlockSource.h"
#include "savefile/ProgressReporter.h"
#include "tests/fuzz/FuzzOpen.h"

namespace {

constexpr std::int32_t kPcCodePage = 1252;

class Quiet final : public quelvane::ProgressReporter {
  public:
    void progress(std::int64_t, std::int64_t) override {}
    bool cancelled() const override { return false; }
};

}  // namespace

// The extraction of arbitrary bytes opened as a save file, as the extract command runs it: CSV and
// source files, CL source, data areas, catalog.json, the SQLite database and the stream files of
// a save of the integrated file system, all into a scratch folder. Whatever cannot be extracted
// is an outcome; only a crash, a hang or a sanitizer report is a fault.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quelvane;
    static test::FuzzedFile file;  // static: the writer below reads its catalog without a capture
    test::openFuzzedFile(file, std::span<const std::uint8_t>(data, size), true);
    if (!file.accepted) {
        return 0;
    }
    const std::filesystem::path folder = test::fuzzScratchFolder();
    const Catalog& catalog = file.catalog;
    SaveFileExtractor extractor(catalog, file.converter, kPcCodePage);
    extractor.setStreamFileWriter([](const std::vector<IfsEntry>& entries, const std::filesystem::path& to) {
        std::unique_ptr<BlockSource> source = std::make_unique<FileBlockSource>(catalog.path);
        if (catalog.layout != nullptr && catalog.layout->compressed()) {
            source = std::make_unique<ExpandedBlockSource>(std::move(source), catalog.layout);
        }
        return IfsEntryExport::writeEntries(source, *catalog.ifs, entries, to);
    });
    SqliteWriter database;
    Quiet progress;
    try {
        database.open(folder / "fuzz.db");
        extractor.run(folder / "out", &database, "FUZZ.SAVF", progress);
        database.commit();
    } catch (const std::exception&) {
        // A database that cannot be written is reported by the command and discarded.
        database.discard();
    }
    return 0;
}
