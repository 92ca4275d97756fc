#include <cstddef>
#include <cstdint>
#include <span>

#include "tests/fuzz/FuzzHeldContent.h"
#include "tests/fuzz/FuzzOpen.h"
#include "tests/views/ShowEveryNode.h"

// The whole open of a save file, from the first read to the tree, then a click on every node
// of the tree and a look at what it holds beyond the tree (details, held save files, stream
// files), over arbitrary bytes. The catalog lives across inputs, as the main window's
// does, so leftovers of earlier files meet later ones.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static quelvane::test::FuzzedFile file;
    std::span<const std::uint8_t> bytes(data, size);
    for (bool agreeBlockCounts : {false, true}) {
        quelvane::test::openFuzzedFile(file, bytes, agreeBlockCounts);
        if (file.accepted) {
            quelvane::test::showEveryNode(file.catalog, file.converter);
            quelvane::test::exploreHeldContent(file);
        }
    }
    return 0;
}
