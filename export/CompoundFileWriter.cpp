#include "export/CompoundFileWriter.h"

#include <algorithm>
#include <array>
#include <vector>

#include "export/AutomationFailure.h"

namespace quelvane {

namespace {

constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

constexpr std::size_t kEntriesPerSector = CompoundFileWriter::kSectorSize / 4;
// The header lists the first 109 FAT sectors; each DIFAT sector lists 127 more and the next.
constexpr std::size_t kHeaderDifatEntries = 109;
constexpr std::size_t kDifatEntriesPerSector = kEntriesPerSector - 1;
constexpr std::size_t kDirectoryEntrySize = 128;
constexpr std::size_t kMaximumNameLength = 31;

constexpr std::uint8_t kStorageRoot = 5;
constexpr std::uint8_t kStreamObject = 2;
constexpr std::uint8_t kBlack = 1;

constexpr std::array<std::uint8_t, 8> kSignature = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::uint16_t kMinorVersion = 0x003E;
constexpr std::uint16_t kMajorVersion = 3;
constexpr std::uint16_t kByteOrderMark = 0xFFFE;
constexpr std::uint16_t kSectorShift = 9;
constexpr std::uint16_t kMiniSectorShift = 6;

class Sector {
  public:
    Sector() { bytes_.fill(0); }
    void put16(std::size_t offset, std::uint16_t value) {
        bytes_[offset] = static_cast<std::uint8_t>(value);
        bytes_[offset + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    void put32(std::size_t offset, std::uint32_t value) {
        put16(offset, static_cast<std::uint16_t>(value));
        put16(offset + 2, static_cast<std::uint16_t>(value >> 16));
    }
    void put8(std::size_t offset, std::uint8_t value) { bytes_[offset] = value; }
    void write(std::ostream& out) const {
        out.write(reinterpret_cast<const char*>(bytes_.data()), static_cast<std::streamsize>(bytes_.size()));
    }

  private:
    std::array<std::uint8_t, CompoundFileWriter::kSectorSize> bytes_;
};

void putDirectoryEntry(Sector& sector, std::size_t slot, const std::u16string& name, std::uint8_t type,
                       std::uint32_t child, std::uint32_t start, std::uint32_t size) {
    const std::size_t base = slot * kDirectoryEntrySize;
    for (std::size_t i = 0; i < name.size(); ++i) {
        sector.put16(base + 2 * i, name[i]);
    }
    sector.put16(base + 64, static_cast<std::uint16_t>((name.size() + 1) * 2));
    sector.put8(base + 66, type);
    sector.put8(base + 67, kBlack);
    sector.put32(base + 68, kNoStream);
    sector.put32(base + 72, kNoStream);
    sector.put32(base + 76, child);
    sector.put32(base + 116, start);
    sector.put32(base + 120, size);
}

void putUnusedDirectoryEntry(Sector& sector, std::size_t slot) {
    const std::size_t base = slot * kDirectoryEntrySize;
    sector.put32(base + 68, kNoStream);
    sector.put32(base + 72, kNoStream);
    sector.put32(base + 76, kNoStream);
}

// Where each part of the file goes: the stream's sectors first, then the directory, the FAT and
// the DIFAT sectors that list the FAT sectors the header cannot.
struct SectorPlan {
    std::size_t streamSize = 0;
    std::size_t dataSectors = 0;
    std::size_t fatSectors = 1;
    std::size_t difatSectors = 0;
    std::size_t totalSectors = 0;
    std::uint32_t directorySector = 0;
    std::uint32_t firstFatSector = 0;
    std::uint32_t firstDifatSector = 0;
};

SectorPlan planSectors(std::size_t storedSize) {
    SectorPlan plan;
    plan.streamSize = std::max(storedSize, CompoundFileWriter::kMiniStreamCutoff);
    plan.dataSectors =
        (plan.streamSize + CompoundFileWriter::kSectorSize - 1) / CompoundFileWriter::kSectorSize;
    // The FAT must also describe its own sectors and the DIFAT sectors that list it.
    while (true) {
        plan.difatSectors = plan.fatSectors > kHeaderDifatEntries
                                ? (plan.fatSectors - kHeaderDifatEntries + kDifatEntriesPerSector - 1) /
                                      kDifatEntriesPerSector
                                : 0;
        const std::size_t sectors = plan.dataSectors + 1 + plan.fatSectors + plan.difatSectors;
        if (plan.fatSectors * kEntriesPerSector >= sectors) {
            break;
        }
        ++plan.fatSectors;
    }
    plan.totalSectors = plan.dataSectors + 1 + plan.fatSectors + plan.difatSectors;
    if (plan.streamSize > 0xFFFFFFFFu || plan.totalSectors >= kDifatSector) {
        throw AutomationFailure("The workbook is too large for a compound file");
    }
    plan.directorySector = static_cast<std::uint32_t>(plan.dataSectors);
    plan.firstFatSector = plan.directorySector + 1;
    plan.firstDifatSector = static_cast<std::uint32_t>(plan.firstFatSector + plan.fatSectors);
    return plan;
}

void writeHeader(std::ostream& out, const SectorPlan& plan) {
    Sector header;
    for (std::size_t i = 0; i < kSignature.size(); ++i) {
        header.put8(i, kSignature[i]);
    }
    header.put16(24, kMinorVersion);
    header.put16(26, kMajorVersion);
    header.put16(28, kByteOrderMark);
    header.put16(30, kSectorShift);
    header.put16(32, kMiniSectorShift);
    header.put32(44, static_cast<std::uint32_t>(plan.fatSectors));
    header.put32(48, plan.directorySector);
    header.put32(56, static_cast<std::uint32_t>(CompoundFileWriter::kMiniStreamCutoff));
    header.put32(60, kEndOfChain);
    header.put32(64, 0);
    header.put32(68, plan.difatSectors > 0 ? plan.firstDifatSector : kEndOfChain);
    header.put32(72, static_cast<std::uint32_t>(plan.difatSectors));
    for (std::size_t i = 0; i < kHeaderDifatEntries; ++i) {
        header.put32(76 + 4 * i,
                     i < plan.fatSectors ? plan.firstFatSector + static_cast<std::uint32_t>(i) : kFreeSector);
    }
    header.write(out);
}

void writeStreamSectors(std::ostream& out, std::span<const std::uint8_t> stream, const SectorPlan& plan) {
    out.write(reinterpret_cast<const char*>(stream.data()), static_cast<std::streamsize>(stream.size()));
    const std::vector<char> padding(plan.dataSectors * CompoundFileWriter::kSectorSize - stream.size(), 0);
    out.write(padding.data(), static_cast<std::streamsize>(padding.size()));
}

void writeDirectory(std::ostream& out, const std::u16string& streamName, const SectorPlan& plan) {
    Sector directory;
    putDirectoryEntry(directory, 0, u"Root Entry", kStorageRoot, 1, kEndOfChain, 0);
    putDirectoryEntry(directory, 1, streamName, kStreamObject, kNoStream, 0,
                      static_cast<std::uint32_t>(plan.streamSize));
    putUnusedDirectoryEntry(directory, 2);
    putUnusedDirectoryEntry(directory, 3);
    directory.write(out);
}

std::uint32_t fatEntry(const SectorPlan& plan, std::size_t sector) {
    if (sector < plan.dataSectors) {
        return sector + 1 == plan.dataSectors ? kEndOfChain : static_cast<std::uint32_t>(sector + 1);
    }
    if (sector == plan.directorySector) {
        return kEndOfChain;
    }
    if (sector < plan.firstDifatSector) {
        return kFatSector;
    }
    return sector < plan.totalSectors ? kDifatSector : kFreeSector;
}

void writeFat(std::ostream& out, const SectorPlan& plan) {
    for (std::size_t f = 0; f < plan.fatSectors; ++f) {
        Sector fat;
        for (std::size_t i = 0; i < kEntriesPerSector; ++i) {
            fat.put32(4 * i, fatEntry(plan, f * kEntriesPerSector + i));
        }
        fat.write(out);
    }
}

void writeDifat(std::ostream& out, const SectorPlan& plan) {
    for (std::size_t d = 0; d < plan.difatSectors; ++d) {
        Sector difat;
        for (std::size_t i = 0; i < kDifatEntriesPerSector; ++i) {
            const std::size_t listed = kHeaderDifatEntries + d * kDifatEntriesPerSector + i;
            difat.put32(4 * i, listed < plan.fatSectors
                                   ? plan.firstFatSector + static_cast<std::uint32_t>(listed)
                                   : kFreeSector);
        }
        difat.put32(4 * kDifatEntriesPerSector,
                    d + 1 < plan.difatSectors ? plan.firstDifatSector + static_cast<std::uint32_t>(d + 1)
                                              : kEndOfChain);
        difat.write(out);
    }
}

}  // namespace

void CompoundFileWriter::write(std::ostream& out, const std::u16string& streamName,
                               std::span<const std::uint8_t> stream) {
    if (streamName.empty() || streamName.size() > kMaximumNameLength) {
        throw AutomationFailure("A compound file stream name has 1 to 31 characters");
    }
    const SectorPlan plan = planSectors(stream.size());
    writeHeader(out, plan);
    writeStreamSectors(out, stream, plan);
    writeDirectory(out, streamName, plan);
    writeFat(out, plan);
    writeDifat(out, plan);
}

}  // namespace quelvane
