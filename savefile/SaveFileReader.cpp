#include "savefile/SaveFileReader.h"

#include <algorithm>
#include <array>
#include <exception>
#include <vector>

#include "savefile/BigEndianReader.h"
#include "savefile/BlockFile.h"
#include "savefile/DecodingFailure.h"
#include "savefile/DetailsReader.h"
#include "savefile/EbcdicField.h"
#include "savefile/EntryBudget.h"
#include "savefile/ExpandedBlockSource.h"
#include "savefile/FailureReason.h"
#include "savefile/FileBlockSource.h"
#include "savefile/IfsReader.h"
#include "savefile/LibraryOffsets.h"
#include "savefile/ObjectDirectoryReader.h"
#include "savefile/OldestLayout.h"
#include "savefile/RelocatedTailSource.h"
#include "savefile/RepairedBlockSource.h"
#include "savefile/SaveFileCheck.h"
#include "savefile/SaveFileLayout.h"
#include "savefile/SegmentExpansionFailure.h"

namespace quelvane {

namespace {

// Save/restore descriptor: the ninth block of a segment (the second in the oldest layout).
constexpr std::int64_t kDescriptorDistance = 8;
constexpr std::int64_t kDescriptorTag = 34;
constexpr std::uint8_t kDescriptorTagFirst = 0x19;
constexpr std::uint8_t kDescriptorTagSecond = 0xDB;
constexpr std::int64_t kDescriptorName = 36;
constexpr std::int64_t kDescriptorNameWidth = 10;
constexpr std::int64_t kLibraryDescriptorOffset = 29;

// Library descriptor, relative to its base.
constexpr std::int64_t kSaveCommand = 0;
constexpr std::int64_t kLibraryName = 2;
constexpr std::int64_t kLibraryNameWidth = 10;
constexpr std::int64_t kObjectCount = 42;
constexpr std::int64_t kAuxiliaryPool = 80;
// "*SYSBAS" in EBCDIC: its presence moves the object directory 32 bytes further.
constexpr std::array<std::uint8_t, 7> kSysbas = {0x5C, 0xE2, 0xE8, 0xE2, 0xC2, 0xC1, 0xE2};
constexpr std::int32_t kDirectoryStartSysbas = 112;
constexpr std::int32_t kDirectoryStartPlain = 80;
constexpr std::uint8_t kIntegratedFileSystemSave = 0x14;
// The expansion allowed to a compressed save's entries over its stored bytes (the real saves'
// images are at most a few times their files).
constexpr std::int64_t kLargestDescriptorExpansion = 64;
constexpr std::int64_t kEntriesPerByte = 2;

std::string dataStorageText(const SegmentLayout& layout) {
    std::string text;
    for (CompressionKind kind : layout.kinds()) {
        text += (text.empty() ? "" : ", ") + std::string(compressionKindText(kind));
    }
    return text.empty() ? std::string(compressionKindText(CompressionKind::Stored)) : text;
}

bool startsWith(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> prefix) {
    return std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

// The bytes the catalog's entries may stand for: the file's, or for a save written with data
// compression its expanded image, which its segment headers declare, but never more than the
// stored bytes could expand to at a ratio no descriptor data reaches. A count that runs past its
// own entries reads the entries of another kind after them (a directory past its last object
// reads descriptions and member areas), so each byte may stand for two entries.
std::int64_t entryBudgetBytes(const BlockSource& stored, const BlockSource& readable) {
    return kEntriesPerByte * std::min(readable.size(), stored.size() * kLargestDescriptorExpansion);
}

}  // namespace

ParseReport SaveFileReader::parseSaveFile(const std::string& path) {
    FileBlockSource source(path);
    return parseSaveFile(path, source);
}

void SaveFileReader::clearHeader() {
    SaveFileHeader& header = catalog_.header;
    header.blockCount = 0;
    header.systemText.clear();
    header.headerSize = 0;
    header.oldestLayout = false;
    header.repairs.clear();
    header.damageNotes.clear();
    header.dataStorage.clear();
    report_ = ParseReport{};
    header.details = SaveDetails{};
    catalog_.ifs.reset();
}

bool SaveFileReader::readHeader(BlockSource& source) {
    SaveFileHeader& header = catalog_.header;
    std::array<std::uint8_t, BlockFile::kBlockSize> first{};
    std::int64_t got = source.isOpen() ? source.readAt(0, first.data(), BlockFile::kBlockSize) : 0;
    bytesRead_ = static_cast<std::uint64_t>(got);
    if (got < SaveFileLayout::kMinimumHeader) {
        return false;
    }
    BigEndianReader block0(first);
    header.oldestLayout = OldestLayout::matches(block0);
    header.systemText = convertField(
        converter_,
        block0.at(SaveFileLayout::kSystemText,
                  header.oldestLayout ? OldestLayout::kSystemTextWidth : SaveFileLayout::kSystemTextWidth),
        true);
    header.blockCount = block0.s32(SaveFileLayout::kBlockCount);
    header.headerSize =
        header.oldestLayout ? OldestLayout::kHeaderSize : block0.s32(SaveFileLayout::kHeaderSize);
    DetailsReader(converter_).readFileHeader(block0, header.details);
    // The oldest layout keeps no copy of the count. A file holds at least the block of its
    // header: counts of 0 (a file of zeros shorter than a block) describe no save file, however
    // well they agree with the size.
    std::int32_t copy = header.oldestLayout ? header.blockCount : block0.s32(SaveFileLayout::kBlockCountCopy);
    return header.blockCount > 0 && header.blockCount == copy &&
           source.size() / BlockFile::kBlockSize == header.blockCount;
}

// A file that fails the header checks, or whose size or last block says its grid has moved, is
// examined: where shifts explain the damage it is read on the repaired grid, else rejected with
// the reason. A file that passed the header checks before is never newly rejected.
bool SaveFileReader::acceptHeader(const std::string& path, BlockSource& raw,
                                  std::unique_ptr<BlockSource>& repaired) {
    clearHeader();
    bool accepted = readHeader(raw);
    // A source that fails while being examined (an allocation, an I/O error) is read as it is:
    // the walk then ends quietly where reading fails.
    SaveFileCheckReport report;
    try {
        if (accepted && SaveFileCheck::looksWhole(raw)) {
            return true;
        }
        report = SaveFileCheck::examine(raw);
    } catch (const std::exception& failure) {
        if (accepted) {
            return true;
        }
        reject(path, failureReason(failure));
        return false;
    }
    repaired = repairedSourceFor(raw, report);
    if (repaired && readHeader(*repaired)) {
        SaveFileHeader& header = catalog_.header;
        header.repairs = report.repairs();
        header.damageNotes = report.repairNotes();
        return true;
    }
    repaired.reset();
    if (accepted && readHeader(raw)) {
        // Read as it is; what the check found stays in the summary.
        if (report.verdict == SaveFileVerdict::Damaged) {
            for (const std::string& finding : report.findings()) {
                catalog_.header.damageNotes.push_back("Damage found: " + finding);
            }
        }
        return true;
    }
    reject(path, report.reason());
    return false;
}

// A rejected file leaves nothing of itself behind; the message says why below its fixed line.
void SaveFileReader::reject(const std::string& path, const std::string& reason) {
    clearHeader();
    notifier_.message("File: " + path + "  is not save file format form AS/400\n" + reason);
    report_.stop = ParseReport::Stop::NotASaveFile;
    report_.block = 0;
    report_.detail = reason;
}

ParseReport SaveFileReader::parseSaveFile(const std::string& path, BlockSource& given) {
    std::unique_ptr<BlockSource> repaired;
    if (!acceptHeader(path, given, repaired)) {
        return report_;
    }
    report_.accepted = true;
    // Whoever opens the file, its segments are looked up among its own headers only.
    catalog_.segments.reset();
    // The stream as the system meant it: its last 16 bytes back from block 0.
    RelocatedTailSource meant(repaired ? *repaired : given);
    BlockSource& source = meant;

    // A save written with data compression is walked and read in its expanded form; a stored
    // one as it is.
    std::unique_ptr<ExpandedBlockSource> expanded;
    try {
        catalog_.layout = SegmentLayout::scan(source, catalog_.header.headerSize, converter_);
        catalog_.header.dataStorage = dataStorageText(*catalog_.layout);
        if (catalog_.layout->compressed()) {
            expanded = std::make_unique<ExpandedBlockSource>(source, catalog_.layout);
        }
    } catch (const std::exception& failure) {
        // Any failure, an allocation included, ends the parse with its reason: nothing of the
        // file was read into the catalog.
        catalog_.parts.clear();
        setStop(ParseReport::Stop::DecodingFailure, -1);
        report_.detail = failureReason(failure);
        return report_;
    }
    BlockSource& readable = expanded ? static_cast<BlockSource&>(*expanded) : source;
    BlockFile file(readable);
    try {
        fillParts(walkSegments(file));
        if (catalog_.header.saveCommand == kIntegratedFileSystemSave && !catalog_.parts.empty()) {
            // Its descriptor holds no object directory: what follows it is the directory tree.
            for (SavedPart& part : catalog_.parts) {
                part.library.objectCount = 0;
            }
            catalog_.ifs = IfsReader(readable, converter_).read(catalog_.header.headerSize);
        }
        EntryBudget budget(entryBudgetBytes(source, readable));
        ObjectDirectoryReader directory(catalog_, converter_, notifier_, file, budget);
        directory.readObjectDirectory();
        if (!budget.refusal().empty()) {
            setStop(ParseReport::Stop::DecodingFailure, -1);
            report_.detail = budget.refusal();
        } else if (!file.isOpen() && report_.stop == ParseReport::Stop::EndOfFile) {
            setStop(ParseReport::Stop::DirectoryUnread, -1);
            report_.detail = directory.stopReason();
        }
        if (catalog_.header.oldestLayout) {
            collectObjectReleases();
        }
    } catch (const std::exception& failure) {
        // Any failure, a decoding one or an allocation that a hostile count provoked, ends the
        // parse quietly with what was read.
        setStop(ParseReport::Stop::DecodingFailure, -1);
        report_.detail = failureReason(failure);
    }
    bytesRead_ += file.bytesRead();
    if (expanded) {
        reportExpansionFailures(*expanded);
    }
    return report_;
}

std::vector<SaveFileReader::FoundPart> SaveFileReader::walkSegments(BlockFile& file) {
    std::vector<FoundPart> found;
    const std::int64_t first = catalog_.header.headerSize / SaveFileLayout::kHeaderUnit;
    file.seek(first * BlockFile::kBlockSize);
    std::int64_t examined = first;
    bool walking = file.readBlocks(1) == BlockFile::kBlockSize;
    if (!walking) {
        setStop(ParseReport::Stop::SegmentPastEnd, examined);
    }
    bool releaseRead = false;
    while (walking) {
        BigEndianReader segment(file.block());
        std::int32_t sequence = segment.s32(BlockFile::kSequenceOffset);
        std::int32_t length = segment.s32(SaveFileLayout::kSegmentBlocks);
        if (startsWith(file.block(), SaveFileLayout::kSegmentMarker)) {
            std::string name = convertField(
                converter_, segment.at(SaveFileLayout::kSegmentName, SaveFileLayout::kSegmentNameWidth),
                true);
            if (!releaseRead && !catalog_.header.oldestLayout &&
                name.starts_with(SaveFileLayout::kDescriptorName)) {
                DetailsReader(converter_).readSegmentHeader(segment, catalog_.header.details);
                releaseRead = true;
            }
            catalog_.segments.append({std::move(name), length, sequence,
                                      catalog_.header.oldestLayout ? OldestLayout::kRecordDistance
                                                                   : SegmentEntry::kRecordDistance});
        }
        if (!readDescriptor(file, examined, found)) {
            break;
        }
        // Sequence numbers that point back would walk in circles: the chain only goes forward.
        std::int64_t next = static_cast<std::int64_t>(sequence) + length - 1;
        if (length < 1 || next <= examined) {
            setStop(ParseReport::Stop::ChainNotForward, examined);
            break;
        }
        walking = readToNextHeader(file, sequence, length);
        if (!walking) {
            setStop(next == file.size() / BlockFile::kBlockSize ? ParseReport::Stop::EndOfFile
                                                                : ParseReport::Stop::SegmentPastEnd,
                    next);
        }
        examined = next;
    }
    return found;
}

bool SaveFileReader::readToNextHeader(BlockFile& file, std::int32_t sequence, std::int32_t length) {
    file.seekBlock(sequence);
    try {
        return file.readBlocks(length) == BlockFile::kBlockSize;
    } catch (const SegmentExpansionFailure&) {
        // Data that cannot be expanded costs its own segment only: the next header stands where
        // the segment's length says, whatever the data holds.
        file.seekBlock(std::int64_t{sequence} + length - 1);
        return file.readBlocks(1) == BlockFile::kBlockSize;
    }
}

bool SaveFileReader::readDescriptor(BlockFile& file, std::int64_t examined, std::vector<FoundPart>& found) {
    // A segment whose data cannot be expanded holds no descriptor that can be read; its header
    // still leads on to the next one.
    const std::int64_t distance =
        catalog_.header.oldestLayout ? OldestLayout::kDescriptorDistance : kDescriptorDistance;
    bool descriptorRead = false;
    bool expandable = true;
    try {
        descriptorRead = file.readBlocks(distance) == BlockFile::kBlockSize;
    } catch (const SegmentExpansionFailure&) {
        expandable = false;
    }
    if (expandable && !descriptorRead) {
        setStop(ParseReport::Stop::DescriptorPastEnd, examined + distance);
        return false;
    }
    BigEndianReader descriptor(file.block());
    bool isDescriptor = descriptorRead && descriptor.u8(kDescriptorTag) == kDescriptorTagFirst &&
                        descriptor.u8(kDescriptorTag + 1) == kDescriptorTagSecond &&
                        convertField(converter_, descriptor.at(kDescriptorName, kDescriptorNameWidth), false)
                            .starts_with(SaveFileLayout::kDescriptorName);
    if (!isDescriptor || found.size() >= static_cast<std::size_t>(kMaxParts)) {
        return true;
    }
    auto offset = static_cast<std::int32_t>(descriptor.u24(kLibraryDescriptorOffset));
    // A library descriptor past the end of the file names no library: the part is left out
    // rather than taken from whatever the buffer held before.
    if (offset > LibraryOffsets::kInlineLimit &&
        file.readBlocks(offset / BlockFile::kBodySize) != BlockFile::kBlockSize) {
        return true;
    }
    readLibraryDescriptor(BigEndianReader(file.block()), offset, found);
    return true;
}

void SaveFileReader::readLibraryDescriptor(const BigEndianReader& library, std::int32_t offset,
                                           std::vector<FoundPart>& found) {
    SaveFileHeader& header = catalog_.header;
    std::int64_t base = LibraryOffsets::base(offset);
    found.push_back({convertField(converter_, library.at(base + kLibraryName, kLibraryNameWidth), true),
                     offset, library.s32(BlockFile::kSequenceOffset), library.s32(base + kObjectCount)});
    header.saveCommand = library.u8(base + kSaveCommand);
    header.directoryStart = startsWith(library.at(base + kAuxiliaryPool, kSysbas.size()), kSysbas)
                                ? kDirectoryStartSysbas
                                : kDirectoryStartPlain;
    // Saves of the integrated file system lay the descriptor out differently.
    if (found.size() == 1 && header.saveCommand != kIntegratedFileSystemSave) {
        DetailsReader(converter_)
            .readLibraryDescriptor(library, base, header.directoryStart == kDirectoryStartSysbas,
                                   header.details);
    }
}

void SaveFileReader::fillParts(const std::vector<FoundPart>& found) {
    catalog_.parts.clear();
    catalog_.parts.resize(found.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        SavedPart& part = catalog_.parts[i];
        part.name = found[i].libraryName;
        part.library.name = found[i].libraryName;
        part.descriptorOffset = found[i].descriptorOffset;
        part.libraryBlock = found[i].libraryBlock;
        part.library.objectCount = found[i].objectCount;
        part.partCount = static_cast<std::int32_t>(found.size());
    }
}

void SaveFileReader::collectObjectReleases() {
    std::vector<std::string>& releases = catalog_.header.details.objectReleases;
    for (const SavedPart& part : catalog_.parts) {
        for (const SavedObject& object : part.library.objects) {
            const std::optional<std::string>& release = object.details.release;
            if (release && std::find(releases.begin(), releases.end(), *release) == releases.end()) {
                releases.push_back(*release);
            }
        }
    }
}

void SaveFileReader::reportExpansionFailures(const ExpandedBlockSource& expanded) {
    for (const std::string& failure : expanded.failures()) {
        notifier_.message("The catalog is incomplete: " + failure);
    }
    if (!expanded.failures().empty() && report_.complete()) {
        setStop(ParseReport::Stop::SegmentNotExpanded, -1);
        report_.detail = expanded.failures().front();
    }
}

}  // namespace quelvane
