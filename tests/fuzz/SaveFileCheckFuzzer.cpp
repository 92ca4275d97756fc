#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "savefile/MemoryBlockSource.h"
#include "savefile/RepairedBlockSource.h"
#include "savefile/SaveFileCheck.h"

// The block grid check over arbitrary bytes, its report text, and the repaired view of the bytes
// it offers: the repaired source must hold exactly the size it states, and a second check of it
// must find no shift left to undo.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    quelvane::MemoryBlockSource source(std::span<const std::uint8_t>(data, size));
    quelvane::SaveFileCheckReport report = quelvane::SaveFileCheck::examine(source);
    (void)report.lines();
    (void)report.reason();
    (void)report.repairNotes();
    (void)quelvane::SaveFileCheck::looksWhole(source);

    std::unique_ptr<quelvane::BlockSource> repaired = quelvane::repairedSourceFor(source, report);
    if (repaired) {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(repaired->size()) + 1);
        if (repaired->readAt(0, bytes.data(), static_cast<std::int64_t>(bytes.size())) != repaired->size()) {
            std::abort();
        }
        quelvane::SaveFileCheckReport again = quelvane::SaveFileCheck::examine(*repaired);
        (void)again.lines();
    }
    return 0;
}
