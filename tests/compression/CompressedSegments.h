#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "compression/CompressionKind.h"

namespace quelvane::test {

// The compressed pieces of a real save file, found by a plain forward walk of its segment
// headers, for checking the decoders against real data. A run-length segment is one piece whose
// expanded size is the segment's (N-1) x 512 bytes; a chunked segment gives one piece per chunk
// with the chunk's declared length and its code stream (from chunk offset 26).
struct CompressedPiece {
    CompressionKind kind = CompressionKind::Stored;
    std::size_t segmentOffset = 0;   // of the segment header in the joined block bodies
    std::size_t chunkOffset = 0;     // within the segment's compressed data
    std::size_t expandedLength = 0;  // ulen, or (N-1) x 512 for a run-length segment
    std::vector<std::uint8_t> code;
};

class CompressedSegments {
  public:
    // Reads the file and walks it; raises std::runtime_error when it cannot be read or walked.
    explicit CompressedSegments(const std::string& path);

    const std::vector<CompressedPiece>& pieces() const { return pieces_; }
    std::size_t count(CompressionKind kind) const;

  private:
    void walk(const std::vector<std::uint8_t>& bodies);
    void addChunks(const std::vector<std::uint8_t>& bodies, std::size_t segment, std::size_t dataLength);

    std::vector<CompressedPiece> pieces_;
};

}  // namespace quelvane::test
