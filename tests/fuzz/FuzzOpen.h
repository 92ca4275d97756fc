#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "conversion/Notifier.h"
#include "savefile/Catalog.h"
#include "savefile/CatalogTree.h"
#include "tests/support/Cp037Converter.h"

namespace quelvane::test {

// One fuzz input opened as the program opens a file: written to a file on disk (the views read
// the save file again by its path), parsed, and turned into the tree. Later steps that explore
// the opened file (showing nodes, exporting) take it from here.
struct FuzzedFile {
    std::string path;
    Catalog catalog;
    Cp037Converter converter;
    SilentNotifier notifier;
    CatalogTree tree;
    bool accepted = false;
};

// Opens `bytes` as they are; the size check rejects most mutations, so inputs long enough to
// carry a file header are also opened with both block counts set to agree with their size,
// which lets the walk and the decoders see every mutation.
void openFuzzedFile(FuzzedFile& file, std::span<const std::uint8_t> bytes, bool agreeBlockCounts);

// A file path of this process for fuzz inputs, rewritten for each one.
const std::string& fuzzInputPath();

// An empty folder of this process for what a fuzz input writes (exports, extractions), emptied
// again by each call and removed when the process ends.
const std::string& fuzzScratchFolder();

}  // namespace quelvane::test
