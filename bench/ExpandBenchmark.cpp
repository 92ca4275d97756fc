#include <benchmark/benchmark.h>

#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "compression/ChunkDecoders.h"
#include "compression/RunLengthDecoder.h"
#include "tests/compression/CompressedSegments.h"
#include "tests/compression/GeneratedRecords.h"
#include "tests/compression/Lz1Encoder.h"
#include "tests/compression/RunLengthEncoder.h"
#include "tests/compression/TerseEncoder.h"

namespace {

using namespace quelvane;
using namespace quelvane::test;
using Bytes = std::vector<std::uint8_t>;

// 4 MiB of generated member records, expanded 256 times per run: 1 GiB of output.
constexpr std::size_t kDataSize = std::size_t{4} << 20;
constexpr benchmark::IterationCount kRepeats = 256;
constexpr std::size_t kChunkSize = 0x8000;

struct Chunk {
    std::size_t length;
    Bytes code;
};

const Bytes& records() {
    static const Bytes data = generatedRecords(kDataSize);
    return data;
}

template <typename Encode>
std::vector<Chunk> chunked(Encode encode) {
    std::vector<Chunk> chunks;
    std::span<const std::uint8_t> data(records());
    for (std::size_t at = 0; at < data.size(); at += kChunkSize) {
        auto piece = data.subspan(at, std::min(kChunkSize, data.size() - at));
        chunks.push_back({piece.size(), encode(piece)});
    }
    return chunks;
}

std::vector<Chunk> realChunks(CompressionKind kind) {
    std::vector<Chunk> chunks;
    for (const char* name :
         {"ANSI_QSI70931.FILE", "NOX_release_2022-07-07.savf", "GURI_demodb.savf", "GURI_ofdemo.savf"}) {
        std::filesystem::path path = std::filesystem::path(QUELVANE_SAVF_DIR) / name;
        if (!std::filesystem::exists(path)) {
            continue;
        }
        CompressedSegments segments(path.string());
        for (const CompressedPiece& piece : segments.pieces()) {
            if (piece.kind == kind) {
                chunks.push_back({piece.expandedLength, piece.code});
            }
        }
    }
    return chunks;
}

void expandChunks(benchmark::State& state, const std::vector<Chunk>& chunks,
                  std::size_t (*decode)(std::span<const std::uint8_t>, std::span<std::uint8_t>)) {
    if (chunks.empty()) {
        state.SkipWithError("no chunks: the real save files are not beside the tree");
        return;
    }
    Bytes out(kChunkSize);
    std::size_t total = 0;
    std::size_t compressed = 0;
    for (const Chunk& chunk : chunks) {
        total += chunk.length;
        compressed += chunk.code.size();
    }
    for (auto _ : state) {
        for (const Chunk& chunk : chunks) {
            benchmark::DoNotOptimize(decode(chunk.code, std::span(out).first(chunk.length)));
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(total));
    state.counters["ratio"] = static_cast<double>(compressed) / static_cast<double>(total);
}

void BM_RunLength(benchmark::State& state) {
    static const Bytes code = RunLengthEncoder::encode(records());
    Bytes out(records().size());
    for (auto _ : state) {
        RunLengthDecoder decoder;
        std::span<const std::uint8_t> input(code);
        benchmark::DoNotOptimize(decoder.decode(input, out));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(out.size()));
    state.counters["ratio"] = static_cast<double>(code.size()) / static_cast<double>(out.size());
}

void BM_Terse(benchmark::State& state) {
    static TerseEncoder encoder;
    static const std::vector<Chunk> chunks =
        chunked([](std::span<const std::uint8_t> piece) { return encoder.encode(piece); });
    expandChunks(state, chunks, decodeTerseChunk);
}

void BM_Lz1(benchmark::State& state) {
    static const std::vector<Chunk> chunks = chunked(Lz1Encoder::encode);
    expandChunks(state, chunks, decodeLz1Chunk);
}

// The chunks of the real compressed save files beside the tree, for comparison.
void BM_TerseRealChunks(benchmark::State& state) {
    static const std::vector<Chunk> chunks = realChunks(CompressionKind::Terse);
    expandChunks(state, chunks, decodeTerseChunk);
}

void BM_Lz1RealChunks(benchmark::State& state) {
    static const std::vector<Chunk> chunks = realChunks(CompressionKind::Lz1);
    expandChunks(state, chunks, decodeLz1Chunk);
}

BENCHMARK(BM_RunLength)->Iterations(kRepeats)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Terse)->Iterations(kRepeats)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lz1)->Iterations(kRepeats)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TerseRealChunks)->MinTime(2.0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lz1RealChunks)->MinTime(2.0)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
