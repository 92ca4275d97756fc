#include "compression/ChunkDecoders.h"

#include "compression/Lz1Decoder.h"
#include "compression/TerseDecoder.h"

namespace quelvane {

std::size_t decodeTerseChunk(std::span<const std::uint8_t> code, std::span<std::uint8_t> output) {
    TerseDecoder decoder;
    return decoder.decode(code, output);
}

std::size_t decodeLz1Chunk(std::span<const std::uint8_t> code, std::span<std::uint8_t> output) {
    return Lz1Decoder::decode(code, output);
}

}  // namespace quelvane
