#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "savefile/BlockSource.h"
#include "savefile/Catalog.h"
#include "savefile/SegmentLayout.h"

namespace quelvane {

// Where the save held by a save-file object lies in its outer save, or why it cannot be had.
// The object's data segment is named object (10) + library (10) + "01"; the ninth block after its
// header block T holds the inner block count K twice (offsets 0 and 4), and the K inner blocks
// follow from block T + 24, one per outer block body (from T + 25 for a save of the oldest layout,
// see OldestLayout).
struct NestedSave {
    enum class State {
        Found,        // the inner save can be opened
        Empty,        // K = 0: the save file held no save
        NotSaveFile,  // the object is not a save file
        Missing,      // no data segment for it in this save
        Unsupported,  // a save of the CISC era in neither layout, stored in a way not worked out
        Damaged,      // counts that disagree or do not fit the segment or the file
    };

    State state = State::Missing;
    std::int64_t firstBlock = 0;
    std::int64_t blockCount = 0;
    // For every state but Found, what the user is told.
    std::string message;
    // The outer save's layout when it was written with data compression: its blocks are read
    // expanded, and `firstBlock` counts in the expanded form.
    std::shared_ptr<const SegmentLayout> outerLayout;

    // Finds the save held by the object at `ref` of the catalog read from `outer`, the outer
    // save as stored (a compressed one is expanded here).
    static NestedSave locate(BlockSource& outer, const Catalog& catalog, ObjectRef ref);

    // The inner save, as it is stored in the outer one, over the stored outer save; for a Found
    // location.
    std::unique_ptr<BlockSource> open(std::unique_ptr<BlockSource> outer) const;

    // A chain of nested saves, outermost first, applied in order over `base`.
    static std::unique_ptr<BlockSource> openChain(std::unique_ptr<BlockSource> base,
                                                  const std::vector<NestedSave>& chain);
};

}  // namespace quelvane
