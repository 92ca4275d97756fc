#include "savefile/CodedSegmentReader.h"

#include "savefile/ChunkedSegmentReader.h"
#include "savefile/RunLengthSegmentReader.h"

namespace quelvane {

std::unique_ptr<CodedSegmentReader> CodedSegmentReader::create(BlockBodies& bodies,
                                                               const SegmentPlacement& segment) {
    if (segment.kind == CompressionKind::RunLength) {
        return std::make_unique<RunLengthSegmentReader>(bodies, segment);
    }
    return std::make_unique<ChunkedSegmentReader>(bodies, segment);
}

}  // namespace quelvane
