#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/SaveFileBuilder.h"

namespace quelvane::test {

// Saves of the integrated file system, built record by record: a directory segment holding a
// chain of HDR, DIR and LNK records, and data segments of stream-file pieces.

constexpr std::size_t kIfsBlock = 528;
constexpr std::size_t kIfsBase = 8 * 512 + 256;

using Bytes = std::vector<std::uint8_t>;

using Bytes = std::vector<std::uint8_t>;

inline Bytes utf16(const std::string& ascii) {
    Bytes out;
    for (char c : ascii) {
        out.push_back(0);
        out.push_back(static_cast<std::uint8_t>(c));
    }
    return out;
}

// The joined bodies of a directory segment: records placed from the base, each record's
// sections right after it. Offsets count from the base.
class DirectoryBodies {
  public:
    DirectoryBodies() : bytes_(kIfsBase, 0) {}

    // A record with `sections` (each its own bytes); entry `nextEntry` points at the next record,
    // which the caller places right after (or 0 for the last). Returns the record's offset.
    std::uint32_t record(const char* tag, std::vector<Bytes> sections, std::size_t nextEntry, bool last) {
        std::uint32_t at = offset();
        Bytes head = SaveFileBuilder::ebcdic(tag, 3);
        head.resize(5 + 5 * sections.size(), 0);
        SaveFileBuilder::putU16(head, 3, static_cast<std::uint32_t>(sections.size()));
        std::uint32_t position = at + static_cast<std::uint32_t>(head.size());
        for (std::size_t i = 0; i < sections.size(); ++i) {
            if (i != nextEntry) {
                SaveFileBuilder::putU32(head, 5 + 5 * i + 1, sections[i].empty() ? 0 : position);
            }
            position += static_cast<std::uint32_t>(sections[i].size());
        }
        if (!last) {
            SaveFileBuilder::putU32(head, 5 + 5 * nextEntry + 1, position);
        }
        bytes_.insert(bytes_.end(), head.begin(), head.end());
        for (const Bytes& section : sections) {
            bytes_.insert(bytes_.end(), section.begin(), section.end());
        }
        return at;
    }

    std::uint32_t offset() const { return static_cast<std::uint32_t>(bytes_.size() - kIfsBase); }
    Bytes& bytes() { return bytes_; }

  private:
    Bytes bytes_;
};

inline Bytes header() {
    Bytes release(16, 0x40);
    SaveFileBuilder::putBytes(release, 8, SaveFileBuilder::ebcdic("V4R4M0", 6));
    return release;
}

inline Bytes directoryPath(const std::string& path) {
    Bytes out(4, 0);
    Bytes text = utf16(path);
    SaveFileBuilder::putU32(out, 0, static_cast<std::uint32_t>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

struct Link {
    std::string name;
    bool directory = false;
    std::uint32_t size = 0;
    Bytes dataName;
};

inline std::vector<Bytes> linkSections(const Link& link) {
    Bytes name = SaveFileBuilder::ebcdic("JPNJP", 5);
    name.resize(9, 0);
    Bytes text = utf16(link.name);
    SaveFileBuilder::putU32(name, 5, static_cast<std::uint32_t>(text.size()));
    name.insert(name.end(), text.begin(), text.end());
    Bytes times(0x90, 0);
    SaveFileBuilder::putU32(times, 0x2C, 959399469);
    SaveFileBuilder::putU32(times, 0x54, link.size);
    SaveFileBuilder::putU16(times, 0x82, 819);
    Bytes attributes(0x40, 0);
    SaveFileBuilder::putU32(attributes, 0x10, link.directory ? 0x41FF : 0x81FF);
    SaveFileBuilder::putBytes(attributes, 0x14, SaveFileBuilder::ebcdic("TCPIP", 10));
    SaveFileBuilder::putU16(attributes, 0x26, link.directory ? 0x0C01 : 0x1E01);
    SaveFileBuilder::putBytes(attributes, 0x2C,
                              SaveFileBuilder::ebcdic(link.directory ? "*DIR" : "*STMF", 10));
    Bytes data;
    if (!link.dataName.empty()) {
        data.assign(6, 0);
        SaveFileBuilder::putU32(data, 0, 1);
        SaveFileBuilder::putU16(data, 4, 0x1E01);
        data.insert(data.end(), link.dataName.begin(), link.dataName.end());
    }
    return {{}, name, {}, times, {}, attributes, {}, data, {}};
}

// A whole save image: header blocks, then one directory segment, then data segments.
struct IfsImage {
    Bytes bytes = Bytes(8 * kIfsBlock, 0);

    void segment(const Bytes& name, std::uint16_t type, const Bytes& bodies, std::size_t minimumBlocks = 16) {
        std::size_t blocks = std::max(minimumBlocks, (bodies.size() + 511) / 512);
        std::size_t first = bytes.size() / kIfsBlock;
        bytes.resize(bytes.size() + blocks * kIfsBlock, 0);
        for (std::size_t i = 0; i < blocks; ++i) {
            std::size_t from = i * 512;
            if (from < bodies.size()) {
                std::size_t take = std::min<std::size_t>(512, bodies.size() - from);
                std::copy_n(bodies.begin() + static_cast<std::ptrdiff_t>(from), take,
                            bytes.begin() + static_cast<std::ptrdiff_t>((first + i) * kIfsBlock));
            }
            SaveFileBuilder::putU32(bytes, (first + i) * kIfsBlock + 512,
                                    static_cast<std::uint32_t>(first + i + 1));
        }
        std::size_t head = first * kIfsBlock;
        std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(head), 4, 0xFF);
        SaveFileBuilder::putBytes(bytes, head + 4, name);
        SaveFileBuilder::putU16(bytes, head + 0x22, type);
        SaveFileBuilder::putU32(bytes, head + 204, static_cast<std::uint32_t>(blocks));
    }

    // Makes the image a save file the reader accepts: the file header's counts and size, and the
    // first directory segment's descriptor, whose library descriptor is the base.
    Bytes complete() const {
        Bytes out = bytes;
        auto blocks = static_cast<std::uint32_t>(out.size() / kIfsBlock);
        SaveFileBuilder::putU32(out, 8, blocks);
        SaveFileBuilder::putU32(out, 60, blocks);
        SaveFileBuilder::putU32(out, 52, 4096);
        SaveFileBuilder::putBytes(out, 16, SaveFileBuilder::ebcdic("170 9406", 32));
        std::size_t descriptor = 16 * kIfsBlock;
        SaveFileBuilder::putU24(out, descriptor + 29, 256);
        out[descriptor + 34] = 0x19;
        out[descriptor + 35] = 0xDB;
        SaveFileBuilder::putBytes(out, descriptor + 36, SaveFileBuilder::ebcdic("QSRDSSPC.1", 10));
        out[descriptor + 256] = 0x14;
        for (std::size_t i = 0; i < blocks; ++i) {
            SaveFileBuilder::putU32(out, i * kIfsBlock + 512, static_cast<std::uint32_t>(i + 1));
        }
        SaveFileBuilder::sealRecords(out);
        return out;
    }

    void directory(DirectoryBodies& bodies) {
        segment(SaveFileBuilder::ebcdic("QSRDSSPC.1", 30), 0x19DB, bodies.bytes());
    }

    // A data segment of pieces of `pieceSize` bytes each holding `content` in 64000-byte runs.
    void data(const Bytes& name, const std::string& content, std::uint32_t pieceSize) {
        Bytes bodies(8 * 512, 0);
        std::size_t pieces = std::max<std::size_t>(1, (content.size() + 63999) / 64000);
        for (std::size_t i = 0; i < pieces; ++i) {
            SaveFileBuilder::putU32(bodies, 512 + 16 * i, pieceSize);
            SaveFileBuilder::putU32(bodies, 512 + 16 * i + 4, pieceSize);
            Bytes piece(pieceSize, 0);
            std::size_t take =
                std::min<std::size_t>(content.size() - std::min(content.size(), i * 64000), 64000);
            std::copy_n(content.begin() + static_cast<std::ptrdiff_t>(i * 64000), take, piece.begin() + 1024);
            bodies.insert(bodies.end(), piece.begin(), piece.end());
        }
        segment(name, 0x1E01, bodies);
    }
};

inline const Bytes kDataA = {0, 1, 0x9D, 0x58, 0x7E, 0xFF, 0xE4, 0x21};
inline const Bytes kDataB = {0, 1, 0xA1, 0x02, 0x7E, 0xFF, 0xE4, 0x3D};

// A save of directory `directory` holding `links`, without data segments yet.
inline IfsImage sampleImage(const std::string& directory, const std::vector<Link>& links) {
    DirectoryBodies bodies;
    bodies.bytes().resize(kIfsBase + 0x0E, 0);
    bodies.record("HDR", {{}, header(), {}, {}, SaveFileBuilder::ebcdic("V4R2M0", 6)}, 0, false);
    bodies.record("DIR", {{}, {}, directoryPath(directory), Bytes(4, 0)}, 1, false);
    for (std::size_t i = 0; i < links.size(); ++i) {
        bodies.record("LNK", linkSections(links[i]), 0, i + 1 == links.size());
    }
    IfsImage image;
    image.directory(bodies);
    return image;
}

}  // namespace quelvane::test
