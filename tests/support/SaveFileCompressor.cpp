#include "tests/support/SaveFileCompressor.h"

#include <algorithm>
#include <cstring>

#include "tests/support/SaveFileBuilder.h"

namespace quelvane::test {

namespace {

constexpr std::size_t kBlock = 528;
constexpr std::size_t kBody = 512;
constexpr std::size_t kLengthOffset = 204;
constexpr std::size_t kStoredBlocksOffset = 72;
constexpr std::size_t kCodedLengthOffset = 0x174;
constexpr std::size_t kFirstChunk = 0x7E00;
constexpr std::size_t kChunk = 0x8000;

std::uint32_t u32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

void put32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    }
}

class BitWriter {
  public:
    void bits(std::uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            current_ = static_cast<std::uint8_t>((current_ << 1) | ((value >> i) & 1));
            if (++filled_ == 8) {
                bytes_.push_back(current_);
                current_ = 0;
                filled_ = 0;
            }
        }
    }
    std::vector<std::uint8_t> finish() {
        if (filled_ > 0) {
            bytes_.push_back(static_cast<std::uint8_t>(current_ << (8 - filled_)));
        }
        return bytes_;
    }

  private:
    std::vector<std::uint8_t> bytes_;
    std::uint8_t current_ = 0;
    int filled_ = 0;
};

}  // namespace

std::vector<std::uint8_t> SaveFileCompressor::runLength(const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> out;
    std::size_t i = 0;
    std::size_t literalStart = 0;
    auto flushLiterals = [&](std::size_t end) {
        while (literalStart < end) {
            std::size_t n = std::min<std::size_t>(end - literalStart, 0x7F);
            out.push_back(static_cast<std::uint8_t>(n));
            out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(literalStart),
                       data.begin() + static_cast<std::ptrdiff_t>(literalStart + n));
            literalStart += n;
        }
    };
    while (i < data.size()) {
        std::size_t run = 1;
        while (i + run < data.size() && data[i + run] == data[i] && run < 0x3F) {
            ++run;
        }
        if (run >= 3) {
            flushLiterals(i);
            if (data[i] == 0x40) {
                out.push_back(static_cast<std::uint8_t>(0x80 | run));
            } else {
                out.push_back(static_cast<std::uint8_t>(0xC0 | run));
                out.push_back(data[i]);
            }
            i += run;
            literalStart = i;
        } else {
            i += run;
        }
    }
    flushLiterals(data.size());
    return out;
}

std::vector<std::uint8_t> SaveFileCompressor::lz1Literals(const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> out;
    std::size_t start = 0;
    while (start < data.size()) {
        std::size_t length = std::min(data.size() - start, start == 0 ? kFirstChunk : kChunk);
        BitWriter writer;
        for (std::size_t i = 0; i < length; ++i) {
            writer.bits(0, 1);
            writer.bits(data[start + i], 8);
        }
        // The end code: a copy whose length is 255, then one 1 bit.
        writer.bits(1, 1);
        writer.bits(0, 6);
        writer.bits(0xFF, 8);
        writer.bits(1, 1);
        std::vector<std::uint8_t> code = writer.finish();
        const auto coded = static_cast<std::uint32_t>(12 + code.size());
        std::vector<std::uint8_t> chunk(14 + 12);
        const std::uint8_t tag[] = {0xD3, 0xC4, 0x6D, 0xD3, 0xE9, 0xF1};
        std::memcpy(chunk.data(), tag, sizeof tag);
        put32(chunk, 6, static_cast<std::uint32_t>(length));
        put32(chunk, 10, coded);
        chunk[14] = 0x03;
        chunk[16] = 0x00;
        chunk[17] = 0x80;
        put32(chunk, 18, coded);
        put32(chunk, 22, static_cast<std::uint32_t>(length));
        chunk.insert(chunk.end(), code.begin(), code.end());
        out.insert(out.end(), chunk.begin(), chunk.end());
        start += length;
    }
    return out;
}

std::vector<std::uint8_t> SaveFileCompressor::compress(const std::vector<std::uint8_t>& stored) const {
    const std::size_t blocks = stored.size() / kBlock;
    std::vector<std::uint8_t> bodies;
    for (std::size_t b = 0; b < blocks; ++b) {
        bodies.insert(bodies.end(), stored.begin() + static_cast<std::ptrdiff_t>(b * kBlock),
                      stored.begin() + static_cast<std::ptrdiff_t>(b * kBlock + kBody));
    }
    const std::size_t headerSize = u32(bodies.data() + 52);
    std::size_t in = std::max<std::size_t>(headerSize / kBody, 1) * kBody;
    std::vector<std::uint8_t> out(bodies.begin(), bodies.begin() + static_cast<std::ptrdiff_t>(in));
    bool first = true;
    while (in + kBody <= bodies.size() && u32(bodies.data() + in) == 0xFFFFFFFF) {
        const std::size_t n = u32(bodies.data() + in + kLengthOffset);
        if (n == 0 || in + n * kBody > bodies.size()) {
            break;
        }
        std::vector<std::uint8_t> header(bodies.begin() + static_cast<std::ptrdiff_t>(in),
                                         bodies.begin() + static_cast<std::ptrdiff_t>(in + kBody));
        std::vector<std::uint8_t> data(bodies.begin() + static_cast<std::ptrdiff_t>(in + kBody),
                                       bodies.begin() + static_cast<std::ptrdiff_t>(in + n * kBody));
        put32(header, kStoredBlocksOffset, static_cast<std::uint32_t>(n - 1));
        if (!(first && keepFirstStored)) {
            if (coding == Coding::OlderRunLength) {
                data = runLength(data);
                data.resize((data.size() + kBody - 1) / kBody * kBody, 0);
                put32(header, kStoredBlocksOffset, static_cast<std::uint32_t>(data.size() / kBody));
            } else {
                data = coding == Coding::RunLength ? runLength(data) : lz1Literals(data);
                put32(header, kCodedLengthOffset, static_cast<std::uint32_t>(data.size()));
                if (padToBoundary) {
                    data.resize((data.size() + kBody - 1) / kBody * kBody, 0);
                }
            }
        }
        out.insert(out.end(), header.begin(), header.end());
        out.insert(out.end(), data.begin(), data.end());
        in += n * kBody;
        first = false;
    }
    out.insert(out.end(), bodies.begin() + static_cast<std::ptrdiff_t>(in), bodies.end());
    out.resize((out.size() + kBody - 1) / kBody * kBody, 0);

    const std::size_t outBlocks = out.size() / kBody;
    std::vector<std::uint8_t> file(outBlocks * kBlock, 0);
    for (std::size_t b = 0; b < outBlocks; ++b) {
        std::memcpy(file.data() + b * kBlock, out.data() + b * kBody, kBody);
        put32(file, b * kBlock + kBody, static_cast<std::uint32_t>(b + 1));
    }
    put32(file, 8, static_cast<std::uint32_t>(outBlocks));
    put32(file, 60, static_cast<std::uint32_t>(outBlocks));
    SaveFileBuilder::sealRecords(file);
    return file;
}

}  // namespace quelvane::test
