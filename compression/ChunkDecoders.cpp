#include "compression/ChunkDecoders.h"

#include "compression/CompressionFailure.h"

namespace quelvane {

std::size_t decodeTerseChunk(std::span<const std::uint8_t>, std::span<std::uint8_t>) {
    throw CompressionFailure("TERSE data cannot be expanded yet");
}

std::size_t decodeLz1Chunk(std::span<const std::uint8_t>, std::span<std::uint8_t>) {
    throw CompressionFailure("LZ1 data cannot be expanded yet");
}

}  // namespace quelvane
