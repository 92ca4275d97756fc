#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "compare/ComparisonJson.h"
#include "compare/ComparisonText.h"
#include "compare/SaveComparer.h"
#include "savefile/MemoryBlockSource.h"
#include "savefile/SaveFileLayout.h"
#include "tests/support/Cp037Converter.h"
#include "views/OpenedSave.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kHeaderBytes = 64;
constexpr std::size_t kSpoilStride = 97;

void putU32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    }
}

// Both block counts set to agree with the size, so that the walk sees every mutation.
void agreeBlockCounts(Bytes& bytes) {
    if (bytes.size() >= kHeaderBytes) {
        const auto blocks = static_cast<std::uint32_t>(bytes.size() / quelvane::SaveFileLayout::kBlockSize);
        putU32(bytes, static_cast<std::size_t>(quelvane::SaveFileLayout::kBlockCount), blocks);
        putU32(bytes, static_cast<std::size_t>(quelvane::SaveFileLayout::kBlockCountCopy), blocks);
    }
}

struct FuzzedSave {
    Bytes bytes;
    quelvane::test::Cp037Converter converter;
    quelvane::SilentNotifier notifier;
    quelvane::OpenedSave save;

    bool open() {
        const auto opener = [this] {
            return std::make_unique<quelvane::MemoryBlockSource>(std::span(bytes));
        };
        return save.open(opener, "fuzz.savf", converter, notifier) == quelvane::OpenedSave::Outcome::Opened;
    }
    quelvane::ComparedSave compared() {
        quelvane::ComparedSave out;
        out.catalog = &save.catalog();
        out.stored = [this] { return std::make_unique<quelvane::MemoryBlockSource>(std::span(bytes)); };
        out.converter = &converter;
        return out;
    }
};

}  // namespace

// Two spoiled saves compared: the input, and the input with every 97th byte of its second half
// changed, so that the two mostly agree and the comparison goes past the catalogs into members,
// records, formats and descriptions. Whatever cannot be read is part of the report; only a crash,
// a hang or a sanitizer report is a fault.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedSave before;
    FuzzedSave after;
    before.bytes.assign(data, data + size);
    agreeBlockCounts(before.bytes);
    after.bytes = before.bytes;
    for (std::size_t i = after.bytes.size() / 2; i < after.bytes.size(); i += kSpoilStride) {
        ++after.bytes[i];
    }
    if (!before.open() || !after.open()) {
        return 0;
    }
    for (const bool withDates : {false, true}) {
        quelvane::SaveComparer comparer(before.compared(), after.compared(), {withDates});
        const quelvane::SaveComparison comparison = comparer.run("before", "after");
        (void)quelvane::ComparisonText::lines(comparison);
        (void)quelvane::ComparisonJson::text(comparison);
    }
    return 0;
}
