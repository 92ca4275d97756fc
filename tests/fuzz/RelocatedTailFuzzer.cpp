#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "savefile/MemoryBlockSource.h"
#include "savefile/RelocatedTailSource.h"

// The kept last 16 bytes over arbitrary bytes: a block 0 that claims any count (one block, more
// blocks than the file holds, none), files shorter than a block or than the kept bytes. Reads of
// any place and length must give exactly the bytes one whole read gives, never more than asked.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    quelvane::MemoryBlockSource stored(bytes);
    quelvane::RelocatedTailSource source(stored);
    const auto length = static_cast<std::size_t>(source.size());
    std::vector<std::uint8_t> whole(length + 1, 0xEE);
    if (source.readAt(0, whole.data(), static_cast<std::int64_t>(whole.size())) !=
        static_cast<std::int64_t>(length)) {
        std::abort();
    }
    if (length >= 80 &&
        std::any_of(whole.begin() + 64, whole.begin() + 80, [](std::uint8_t b) { return b != 0; })) {
        std::abort();
    }
    const std::int64_t tail = source.tailOffset();
    if (tail >= 0 && (tail + 16 > static_cast<std::int64_t>(length) ||
                      !std::equal(bytes.begin() + 64, bytes.begin() + 80, whole.begin() + tail))) {
        std::abort();
    }
    std::vector<std::uint8_t> piece(64);
    for (std::size_t at = 0; at < length; at += 1 + (at * 31 + size) % 97) {
        const std::size_t want = 1 + at % piece.size();
        const std::int64_t got =
            source.readAt(static_cast<std::int64_t>(at), piece.data(), static_cast<std::int64_t>(want));
        if (got != static_cast<std::int64_t>(std::min(want, length - at)) ||
            !std::equal(piece.begin(), piece.begin() + got,
                        whole.begin() + static_cast<std::ptrdiff_t>(at))) {
            std::abort();
        }
    }
    return 0;
}
