#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "compression/ChunkDecoders.h"
#include "compression/RunLengthDecoder.h"
#include "tests/compression/CompressedSegments.h"
#include "tests/support/Cp037Table.h"
#include "tests/support/RealFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

#define SKIP_WITHOUT(name) QUELVANE_REQUIRE_REAL_FILE(fs::path(QUELVANE_SAVF_DIR) / (name))

CompressedSegments load(const std::string& name) {
    return CompressedSegments((fs::path(QUELVANE_SAVF_DIR) / name).string());
}

Bytes expand(const CompressedPiece& piece) {
    Bytes out(piece.expandedLength);
    std::size_t written = 0;
    if (piece.kind == CompressionKind::RunLength) {
        RunLengthDecoder decoder;
        std::span<const std::uint8_t> input(piece.code);
        written = decoder.decode(input, out);
        EXPECT_TRUE(input.empty() && decoder.betweenRuns())
            << "run-length segment at " << piece.segmentOffset;
    } else if (piece.kind == CompressionKind::Terse) {
        written = decodeTerseChunk(piece.code, out);
    } else {
        written = decodeLz1Chunk(piece.code, out);
    }
    EXPECT_EQ(written, piece.expandedLength)
        << "segment at " << piece.segmentOffset << ", chunk at " << piece.chunkOffset;
    return out;
}

const CompressedPiece& pieceAt(const CompressedSegments& segments, std::size_t segment, std::size_t chunk) {
    auto found = std::find_if(
        segments.pieces().begin(), segments.pieces().end(),
        [&](const CompressedPiece& p) { return p.segmentOffset == segment && p.chunkOffset == chunk; });
    if (found == segments.pieces().end()) {
        throw std::runtime_error("no chunk at " + std::to_string(segment) + "/" + std::to_string(chunk));
    }
    return *found;
}

Bytes ebcdic(const std::string& text) {
    Bytes out;
    for (char c : text) {
        out.push_back(kLatin1ToCp037[static_cast<std::uint8_t>(c)]);
    }
    return out;
}

struct FileCase {
    std::string name;
    CompressionKind kind;
    std::size_t pieces;
};

TEST(RealCompressedFiles, EveryPieceExpandsToItsDeclaredLength) {
    const std::vector<FileCase> files = {
        {"ANSI_QSI70931.FILE", CompressionKind::Lz1, 5},
        {"NOX_release_2022-07-07.savf", CompressionKind::Lz1, 165},
        {"GURI_demodb.savf", CompressionKind::Terse, 23},
        {"GURI_ofdemo.savf", CompressionKind::Terse, 7},
        {"CSCH@009.SAVF", CompressionKind::RunLength, 55},
        {"ANSI_QSI70544.FILE", CompressionKind::RunLength, 3},
    };
    for (const FileCase& file : files) {
        if (!fs::exists(fs::path(QUELVANE_SAVF_DIR) / file.name)) {
            continue;
        }
        CompressedSegments segments = load(file.name);
        EXPECT_EQ(segments.pieces().size(), file.pieces) << file.name;
        EXPECT_EQ(segments.count(file.kind), file.pieces) << file.name;
        for (const CompressedPiece& piece : segments.pieces()) {
            SCOPED_TRACE(file.name);
            expand(piece);
        }
    }
}

// The first chunk of the fix package's first compressed segment opens with a literal 00, a copy
// of 129 from 1 back, a literal 20 and a copy of 5 from 4 back.
TEST(RealCompressedFiles, Lz1ChunkOpensAsDecodedByHand) {
    SKIP_WITHOUT("ANSI_QSI70931.FILE");
    Bytes out = expand(pieceAt(load("ANSI_QSI70931.FILE"), 16384, 0));
    ASSERT_EQ(out.size(), 11776U);
    EXPECT_EQ(std::count(out.begin(), out.begin() + 130, 0), 130);
    EXPECT_EQ(Bytes(out.begin() + 130, out.begin() + 136), (Bytes{0x20, 0x00, 0x00, 0x00, 0x20, 0x00}));
}

TEST(RealCompressedFiles, Lz1ChunkHoldsTheTraceMember) {
    SKIP_WITHOUT("NOX_release_2022-07-07.savf");
    Bytes out = expand(pieceAt(load("NOX_release_2022-07-07.savf"), 20480, 209128));
    Bytes trace = ebcdic("TRACE");
    EXPECT_TRUE(std::equal(trace.begin(), trace.end(), out.begin() + 18692));
}

// Codes 1, 4095, 4094 ... 4082, 4087 are fifteen runs of zeros of 1 to 15 bytes and one of 10;
// code 17 is byte 10.
TEST(RealCompressedFiles, TerseChunkOpensAsDecodedByHand) {
    SKIP_WITHOUT("GURI_demodb.savf");
    CompressedSegments segments = load("GURI_demodb.savf");
    Bytes out = expand(pieceAt(segments, 28672, 0));
    ASSERT_EQ(out.size(), 32256U);
    EXPECT_EQ(std::count(out.begin(), out.begin() + 130, 0), 130);
    EXPECT_EQ(out[130], 0x10);
    Bytes person = expand(pieceAt(segments, 115712, 0));
    Bytes name = ebcdic("PERSON");
    EXPECT_TRUE(std::equal(name.begin(), name.end(), person.begin() + 3620));
}

// One chunk in each of these files has its 6-byte tag cut by a block trailer (body offsets
// 161275 and 629759, 5 and 1 bytes before a 512-byte boundary): found only in the joined bodies.
TEST(RealCompressedFiles, ChunkWhoseTagCrossesABlockTrailerExpands) {
    SKIP_WITHOUT("GURI_demodb.savf");
    SKIP_WITHOUT("NOX_release_2022-07-07.savf");
    EXPECT_EQ(expand(pieceAt(load("GURI_demodb.savf"), 158208, 2555)).size(), 16384U);
    EXPECT_EQ(expand(pieceAt(load("NOX_release_2022-07-07.savf"), 20480, 608767)).size(), 32768U);
}

}  // namespace
}  // namespace quelvane::test
