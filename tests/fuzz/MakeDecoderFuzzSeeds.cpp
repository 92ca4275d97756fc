#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/compression/BitWriter.h"
#include "tests/compression/CompressedSegments.h"
#include "tests/fuzz/DecoderFuzzInput.h"

namespace {

using namespace quelvane;
using namespace quelvane::test;
namespace fs = std::filesystem;

void writeSeed(const fs::path& folder, const std::string& name, std::size_t outputSize,
               const std::vector<std::uint8_t>& code) {
    fs::create_directories(folder);
    std::vector<std::uint8_t> seed = joinFuzzInput(outputSize, code);
    std::ofstream(folder / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(seed.data()), static_cast<std::streamsize>(seed.size()));
}

const char* folderName(CompressionKind kind) {
    switch (kind) {
        case CompressionKind::RunLength:
            return "run-length";
        case CompressionKind::Terse:
            return "terse";
        case CompressionKind::Lz1:
            return "lz1";
        case CompressionKind::Stored:
            break;
    }
    return "stored";
}

// At most a few pieces of each real file: the fuzzer mutates them, it needs no more.
void writeRealSeeds(const fs::path& folder, const fs::path& savf) {
    constexpr std::size_t kPiecesPerFile = 4;
    constexpr std::size_t kOutputLimit = 0xFFFF;
    for (const char* name : {"ANSI_QSI70931.FILE", "NOX_release_2022-07-07.savf", "GURI_demodb.savf",
                             "GURI_ofdemo.savf", "CSCH@009.SAVF"}) {
        if (!fs::exists(savf / name)) {
            continue;
        }
        CompressedSegments segments((savf / name).string());
        std::size_t written = 0;
        for (const CompressedPiece& piece : segments.pieces()) {
            if (written++ == kPiecesPerFile) {
                break;
            }
            writeSeed(folder / folderName(piece.kind), std::string(name) + "." + std::to_string(written),
                      std::min(piece.expandedLength, kOutputLimit), piece.code);
        }
    }
}

void writeBuiltSeeds(const fs::path& folder) {
    writeSeed(folder / "lz1", "built", 12,
              BitWriter().literal(0xC1).literal(0xC2).copy(5, 2).copy(4, 1).end().bytes());
    writeSeed(folder / "terse", "built", 10, BitWriter().codes({0xC2, 0xC3, 4095, 4094, 258, 0}).bytes());
    writeSeed(folder / "run-length", "built", 16, {0x02, 0xC1, 0xC2, 0x83, 0xC4, 0x5C, 0x01, 0x00});
}

}  // namespace

// Writes seeds for the decoder fuzz targets into FOLDER/run-length, FOLDER/terse and FOLDER/lz1:
// built streams, and chunks of the real compressed save files in SAVF_FOLDER when it is there.
int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FOLDER SAVF_FOLDER\n", argv[0]);
        return 1;
    }
    writeBuiltSeeds(argv[1]);
    writeRealSeeds(argv[1], argv[2]);
    return 0;
}
