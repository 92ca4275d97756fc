#include "savefile/IfsReader.h"

#include <algorithm>
#include <set>

#include "savefile/BlockFile.h"
#include "savefile/DecodingFailure.h"
#include "savefile/EbcdicField.h"
#include "savefile/IfsPath.h"
#include "savefile/SaveFileLayout.h"
#include "savefile/TypeCodes.h"

namespace quelvane {

namespace {

// Segment header block.
constexpr std::int64_t kSegmentType = 0x22;

// Directory segment: the base, and the record chain from it.
constexpr std::int64_t kBase = 8 * SaveFileLayout::kBodySize + 256;
constexpr std::int64_t kFirstRecord = 0x0E;
constexpr std::int64_t kTagWidth = 3;
constexpr std::int64_t kEntryWidth = 5;
constexpr std::int64_t kRecordHead = kTagWidth + 2;
constexpr char kHeaderTag[] = "HDR";
constexpr char kDirectoryTag[] = "DIR";
constexpr char kLinkTag[] = "LNK";

// HDR entries.
constexpr std::size_t kHeaderRelease = 1;
constexpr std::int64_t kHeaderReleaseOffset = 8;
constexpr std::size_t kHeaderTarget = 4;
constexpr std::int64_t kReleaseWidth = 6;

// DIR entries.
constexpr std::size_t kDirectoryNext = 1;
constexpr std::size_t kDirectoryPath = 2;

// LNK entries.
constexpr std::size_t kLinkName = 1;
constexpr std::int64_t kNameLength = 5;
constexpr std::int64_t kNameText = 9;
constexpr std::size_t kLinkTimes = 3;
constexpr std::size_t kLinkAttributes = 5;
constexpr std::size_t kLinkData = 7;

// LNK attributes (entry 5).
constexpr std::int64_t kMode = 0x10;
constexpr std::int64_t kOwner = 0x14;
constexpr std::int64_t kOwnerWidth = 10;
constexpr std::int64_t kSaveClock = 0x1E;
constexpr std::int64_t kObjectType = 0x26;
constexpr std::int64_t kTypeText = 0x2C;
constexpr std::int64_t kTypeTextWidth = 10;

// LNK times and size (entry 3): Unix seconds and microseconds.
constexpr std::int64_t kAccessed = 0x24;
constexpr std::int64_t kModified = 0x2C;
constexpr std::int64_t kChanged = 0x34;
constexpr std::int64_t kDataSize = 0x54;
constexpr std::int64_t kCcsid = 0x82;

// LNK data segment (entry 7): a count, the type, then the segment's name with its two 4-byte
// halves in the order the segment header has them.
constexpr std::int64_t kDataType = 4;
constexpr std::int64_t kDataName = 6;
constexpr std::int64_t kNameBytes = 8;

std::string tagText(const BigEndianReader& body, std::int64_t at) {
    std::string tag;
    for (std::uint8_t byte : body.at(at, kTagWidth)) {
        // EBCDIC upper-case letters of the three tags.
        static constexpr std::array<std::pair<std::uint8_t, char>, 7> kLetters = {
            {{0xC8, 'H'}, {0xC4, 'D'}, {0xD9, 'R'}, {0xC9, 'I'}, {0xD3, 'L'}, {0xD5, 'N'}, {0xD2, 'K'}}};
        auto found =
            std::find_if(kLetters.begin(), kLetters.end(), [&](const auto& l) { return l.first == byte; });
        tag += found == kLetters.end() ? '?' : found->second;
    }
    return tag;
}

std::optional<SavedTimestamp> unixTime(const BigEndianReader& body, std::int64_t at) {
    return SavedTimestamp::fromUnix(body.u32(at), body.u32(at + 4));
}

}  // namespace

IfsCatalog IfsReader::read(std::int32_t headerSize) {
    IfsCatalog catalog;
    directories_.clear();
    dataSegments_.clear();
    walkSegments(headerSize, catalog);
    for (const Segment& directory : directories_) {
        try {
            readDirectory(directory, catalog);
        } catch (const DecodingFailure& failure) {
            catalog.problems.push_back("directory segment at block " + std::to_string(directory.block) +
                                       ": a record does not fit (" + failure.what() + ")");
        }
    }
    return catalog;
}

void IfsReader::walkSegments(std::int32_t headerSize, IfsCatalog& catalog) {
    std::int64_t block = std::max<std::int32_t>(headerSize, 0) / SaveFileLayout::kHeaderUnit;
    std::int64_t blocks = source_.size() / SaveFileLayout::kBlockSize;
    std::array<std::uint8_t, SaveFileLayout::kBlockSize> header{};
    while (block < blocks) {
        if (source_.readAt(block * SaveFileLayout::kBlockSize, header.data(), SaveFileLayout::kBlockSize) !=
                SaveFileLayout::kBlockSize ||
            !std::equal(SaveFileLayout::kSegmentMarker.begin(), SaveFileLayout::kSegmentMarker.end(),
                        header.begin())) {
            catalog.problems.push_back("no segment header at block " + std::to_string(block) +
                                       ": the rest of the save is not read");
            return;
        }
        BigEndianReader segment(header);
        std::int32_t length = segment.s32(SaveFileLayout::kSegmentBlocks);
        if (length < 1) {
            catalog.problems.push_back("segment at block " + std::to_string(block) + " has no length");
            return;
        }
        if (std::equal(SaveFileLayout::kDescriptorNameEbcdic.begin(),
                       SaveFileLayout::kDescriptorNameEbcdic.end(),
                       header.begin() + SaveFileLayout::kSegmentName)) {
            directories_.push_back({block, length});
        } else if (segment.u16(kSegmentType) == kIfsStreamFileType) {
            SegmentName name{};
            std::copy_n(header.begin() + SaveFileLayout::kSegmentName, kNameBytes, name.begin());
            dataSegments_.emplace(name, Segment{block, length});
        }
        block += length;
    }
}

void IfsReader::readDirectory(const Segment& segment, IfsCatalog& catalog) {
    std::vector<std::uint8_t> bytes = BlockFile(source_).readBodies(segment.block, segment.length);
    BigEndianReader body(bytes);
    std::string directory;
    std::set<std::int64_t> visited;
    std::int64_t offset = kFirstRecord;
    while (offset != 0 && catalog.entries.size() < kMaxEntries) {
        // Records only chain forward or to unvisited places; a repeat would loop for ever.
        if (!visited.insert(offset).second) {
            throw DecodingFailure("the record chain returns to a record");
        }
        std::int64_t at = kBase + offset;
        std::string tag = tagText(body, at);
        std::int64_t count = body.u16(at + kTagWidth);
        std::vector<std::int64_t> entries;
        for (std::int64_t i = 0; i < count; ++i) {
            entries.push_back(body.u32(at + kRecordHead + i * kEntryWidth + 1));
        }
        std::size_t next = tag == kDirectoryTag ? kDirectoryNext : 0;
        if (entries.size() <= next) {
            throw DecodingFailure(tag + " record without its entries");
        }
        if (tag == kHeaderTag) {
            readHeader(body, kBase, entries, catalog);
        } else if (tag == kDirectoryTag) {
            if (entries.size() <= kDirectoryPath) {
                throw DecodingFailure("DIR record without its path");
            }
            std::int64_t path = kBase + entries[kDirectoryPath];
            std::uint32_t length = body.u32(path);
            std::optional<std::string> text = utf16BigEndianToUtf8(body.at(path + 4, length).data(), length);
            directory = text.value_or("");
            if (!text || !safeIfsComponents(directory)) {
                catalog.problems.push_back("directory with an unsafe path: its entries are left out");
                return;
            }
        } else if (tag == kLinkTag) {
            try {
                catalog.entries.push_back(readLink(body, kBase, entries, directory));
            } catch (const DecodingFailure&) {
                catalog.problems.push_back("an entry of " + directory + " does not fit its record: left out");
            }
        } else {
            throw DecodingFailure("unknown record " + tag);
        }
        offset = entries[next];
    }
    if (catalog.entries.size() >= kMaxEntries) {
        catalog.problems.push_back("more than " + std::to_string(kMaxEntries) +
                                   " entries: the rest are left out");
    }
}

void IfsReader::readHeader(const BigEndianReader& body, std::int64_t base,
                           const std::vector<std::int64_t>& entries, IfsCatalog& catalog) {
    if (entries.size() > kHeaderRelease && !catalog.release) {
        std::int64_t at = base + entries[kHeaderRelease] + kHeaderReleaseOffset;
        if (body.contains(at, kReleaseWidth)) {
            catalog.release = optionalField(converter_, body.at(at, kReleaseWidth));
        }
    }
    if (entries.size() > kHeaderTarget && !catalog.targetRelease) {
        std::int64_t at = base + entries[kHeaderTarget];
        if (body.contains(at, kReleaseWidth)) {
            catalog.targetRelease = optionalField(converter_, body.at(at, kReleaseWidth));
        }
    }
}

IfsEntry IfsReader::readLink(const BigEndianReader& body, std::int64_t base,
                             const std::vector<std::int64_t>& entries, const std::string& directory) {
    IfsEntry entry;
    if (entries.size() <= kLinkAttributes) {
        throw DecodingFailure("LNK record without its entries");
    }
    std::int64_t name = base + entries[kLinkName];
    std::uint32_t length = body.u32(name + kNameLength);
    std::optional<std::string> text = utf16BigEndianToUtf8(body.at(name + kNameText, length).data(), length);
    std::string leaf = text.value_or("?");
    entry.path = (directory == "/" ? "" : directory) + "/" + leaf;
    if (!text || !isSafeIfsName(leaf) || directory.empty()) {
        entry.problem = "unsafe name: not extracted";
    }
    readAttributes(body, base + entries[kLinkAttributes], entry);
    readTimes(body, base + entries[kLinkTimes], entry);
    if (entry.kind == IfsEntry::Kind::StreamFile) {
        if (entries.size() > kLinkData && entries[kLinkData] != 0) {
            readDataSegment(body, base + entries[kLinkData], entry);
        } else if (entry.size > 0 && entry.problem.empty()) {
            entry.problem = "names no data segment";
        }
    }
    return entry;
}

void IfsReader::readAttributes(const BigEndianReader& body, std::int64_t at, IfsEntry& entry) {
    entry.mode = body.u32(at + kMode);
    entry.owner = optionalField(converter_, body.at(at + kOwner, kOwnerWidth));
    entry.saved = SavedTimestamp::fromClock(body.at(at + kSaveClock, 8));
    std::uint32_t type = body.u16(at + kObjectType);
    entry.kind = type == kIfsStreamFileType  ? IfsEntry::Kind::StreamFile
                 : type == kIfsDirectoryType ? IfsEntry::Kind::Directory
                                             : IfsEntry::Kind::Other;
    entry.typeText = optionalField(converter_, body.at(at + kTypeText, kTypeTextWidth)).value_or("");
}

void IfsReader::readTimes(const BigEndianReader& body, std::int64_t at, IfsEntry& entry) {
    entry.accessed = unixTime(body, at + kAccessed);
    entry.modified = unixTime(body, at + kModified);
    entry.changed = unixTime(body, at + kChanged);
    entry.size = body.u32(at + kDataSize);
    std::uint32_t ccsid = body.u16(at + kCcsid);
    if (ccsid != 0) {
        entry.ccsid = static_cast<std::uint16_t>(ccsid);
    }
}

void IfsReader::readDataSegment(const BigEndianReader& body, std::int64_t at, IfsEntry& entry) {
    if (body.u16(at + kDataType) != kIfsStreamFileType) {
        entry.problem = entry.problem.empty() ? "its data reference is not a stream file's" : entry.problem;
        return;
    }
    SegmentName name{};
    std::span<const std::uint8_t> stored = body.at(at + kDataName, kNameBytes);
    std::copy(stored.begin(), stored.end(), name.begin());
    auto found = dataSegments_.find(name);
    if (found == dataSegments_.end()) {
        entry.problem = entry.problem.empty() ? "its data segment is not in this save" : entry.problem;
        return;
    }
    entry.dataBlock = found->second.block;
    entry.dataLength = found->second.length;
}

}  // namespace quelvane
