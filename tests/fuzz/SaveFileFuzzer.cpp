#include <cstddef>
#include <cstdint>
#include <span>

#include "tests/fuzz/FuzzOpen.h"

// The whole open of a save file, from the first read to the tree, over arbitrary bytes. The
// catalog lives across inputs, as the main window's does, so leftovers of earlier files meet
// later ones.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static quelvane::test::FuzzedFile file;
    std::span<const std::uint8_t> bytes(data, size);
    quelvane::test::openFuzzedFile(file, bytes, false);
    quelvane::test::openFuzzedFile(file, bytes, true);
    return 0;
}
