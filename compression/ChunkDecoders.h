#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace quelvane {

// Chunk decoders of *MEDIUM (TERSE) and *HIGH (LZ1) compression. Each takes the code stream of
// one chunk (from chunk offset 26, after the chunk's own headers) and expands it into `output`,
// whose size is the chunk's declared uncompressed length (at most 0x8000). Each chunk has its
// own dictionary or history. Returns the bytes written; raises CompressionFailure for a stream
// that is damaged: a code outside the dictionary, a copy reaching before the chunk's start, more
// output than `output` holds, or input ending before the end code. Never writes past `output`.
std::size_t decodeTerseChunk(std::span<const std::uint8_t> code, std::span<std::uint8_t> output);
std::size_t decodeLz1Chunk(std::span<const std::uint8_t> code, std::span<std::uint8_t> output);

}  // namespace quelvane
