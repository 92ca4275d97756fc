#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "savefile/BlockFile.h"
#include "savefile/BlockSource.h"
#include "savefile/Catalog.h"
#include "views/ViewSession.h"

namespace quelvane {

// CL programs and data areas keep their stored data in a block their segment header points to:
// the 4-byte number at body offset 212 of the header block counts the blocks from the header to
// it (a count of 0 or less names the header block itself).
struct StoredObjectBlock {
    std::unique_ptr<BlockSource> file;  // the save file, open while the view reads on
    std::int64_t block = 0;             // number of the pointed block
    BlockFile::Block buffer{};          // its bytes

    // Finds the object's segment among the first entries of the segment table, opens the save
    // file and reads the pointed block. Nothing when there is no such segment, or when the header
    // block or the pointed block is not in the file.
    static std::optional<StoredObjectBlock> read(const ViewSession& session, const SavedObject& object);
};

}  // namespace quelvane
