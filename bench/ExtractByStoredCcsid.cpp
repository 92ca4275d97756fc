// CSV extraction of the bench member's million records, the character fields tagged CCSID 37:
// by the code-page pair through the real conversion modules, and by the fields' stored CCSIDs.
// Reports records per second of each (items_per_second). Not a test: run it by hand on a quiet
// machine.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <system_error>

#include "bench/BenchmarkMember.h"
#include "conversion/ConversionLayer.h"
#include "extract/SaveFileExtractor.h"
#include "savefile/SaveFileReader.h"
#include "tests/support/SaveFileBuilder.h"

namespace {

using namespace quelvane;
using namespace quelvane::test;
using namespace quelvane::bench;

constexpr std::uint32_t kRecords = 1000000;
constexpr std::int32_t kEbcdicPage = 37;
constexpr std::int32_t kPcPage = 1252;
constexpr std::uint16_t kFieldCcsid = 37;
constexpr std::uint16_t kCharacterType = 0x0403;
constexpr std::int64_t kMemberHeaderBlocks = 16;

// The bench member in a save file whose field entries carry CCSIDs, read once by the reader.
class TaggedMemberSave {
  public:
    TaggedMemberSave()
        : folder_(std::filesystem::temp_directory_path() / "quelvane-ccsid-bench"),
          conversion_(notifier_, programDirectory()) {
        std::filesystem::create_directories(folder_);
        BuiltObject file;
        file.name = "BIGFILE";
        file.attribute = "PF";
        file.fields = kFields;
        for (BuiltField& field : file.fields) {
            field.entryLength = 0;
            field.facts = BuiltFieldFacts{};
            field.facts->ccsid = field.typeCode == kCharacterType ? kFieldCcsid : 0;
        }
        file.members = {{"DATA", "", "", kRecords}};
        BuiltPart part;
        part.library = "BENCH";
        part.objects = {file};
        SaveFileBuilder builder;
        builder.add(part);
        BuiltSegment member;
        member.name = "BIGFILE   DATA";
        member.length = static_cast<std::int32_t>(kMemberHeaderBlocks + streamBlocks(kRecords));
        builder.add(member);
        const SaveFileImage image = builder.build();
        const std::filesystem::path path = folder_ / "tagged.savf";
        image.writeTo(path.string(), true);
        writeStream(path.string(), image.layout.segments.back().headerBlock + kMemberHeaderBlocks, kRecords);
        ready_ = conversion_.BindNlsLibrary();
        conversion_.EbcdicCodePage = kEbcdicPage;
        conversion_.PcCodePage = kPcPage;
        catalog_.path = path.string();
        SaveFileReader reader(catalog_, conversion_, notifier_);
        ready_ = ready_ && reader.parseSaveFile(catalog_.path).accepted && !catalog_.parts.empty();
    }

    ~TaggedMemberSave() {
        std::error_code error;
        std::filesystem::remove_all(folder_, error);
    }

    bool ready() const { return ready_; }

    // Extracts the save once; true when its one member was written whole.
    bool extract(bool byStoredCcsid) {
        SaveFileExtractor extractor(catalog_, conversion_, kPcPage);
        if (byStoredCcsid) {
            extractor.decodeByStoredCcsid(kEbcdicPage);
        }
        NoProgress progress;
        const ExtractOutcome outcome = extractor.run(folder_ / "out", nullptr, "tagged.savf", progress);
        return outcome.failures.empty() && outcome.membersWritten == 1;
    }

  private:
    std::filesystem::path folder_;
    SilentNotifier notifier_;
    ConversionLayer conversion_;
    Catalog catalog_;
    bool ready_ = false;
};

TaggedMemberSave& save() {
    static TaggedMemberSave built;
    return built;
}

void extractCsv(benchmark::State& state, bool byStoredCcsid) {
    if (!save().ready()) {
        state.SkipWithError("the conversion modules or the built save could not be read");
        return;
    }
    for (auto _ : state) {
        if (!save().extract(byStoredCcsid)) {
            state.SkipWithError("the member was not written");
            return;
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kRecords);
}

void CsvByPair(benchmark::State& state) {
    extractCsv(state, false);
}

void CsvByStoredCcsid(benchmark::State& state) {
    extractCsv(state, true);
}

BENCHMARK(CsvByPair)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(3);
BENCHMARK(CsvByStoredCcsid)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
