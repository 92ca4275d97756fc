#include "savefile/IfsStreamReader.h"

#include <algorithm>

#include "savefile/BigEndianReader.h"
#include "savefile/BlockFile.h"
#include "savefile/SaveFileLayout.h"

namespace quelvane {

namespace {

constexpr std::int64_t kBodySize = SaveFileLayout::kBodySize;
constexpr std::int64_t kTableBlock = 1;
constexpr std::int64_t kFirstPieceBlock = 8;
constexpr std::int64_t kTableEntryWidth = 16;

}  // namespace

std::optional<std::vector<std::uint8_t>> IfsStreamReader::read(const IfsEntry& entry, std::string& error) {
    if (entry.kind != IfsEntry::Kind::StreamFile) {
        error = entry.path + " is not a stream file";
        return std::nullopt;
    }
    if (entry.size == 0) {
        return std::vector<std::uint8_t>{};
    }
    if (entry.dataBlock < 0) {
        error = entry.path + ": " + (entry.problem.empty() ? "no data in this save" : entry.problem);
        return std::nullopt;
    }
    std::vector<std::uint8_t> bodies = BlockFile(source_).readBodies(entry.dataBlock, entry.dataLength);
    BigEndianReader segment(bodies);
    if (!segment.contains(kTableBlock * kBodySize, kBodySize)) {
        error = entry.path + ": its data segment is cut short";
        return std::nullopt;
    }
    std::vector<std::uint8_t> content;
    std::int64_t piece = kFirstPieceBlock * kBodySize;
    for (std::int64_t at = kTableBlock * kBodySize; at < (kTableBlock + 1) * kBodySize;
         at += kTableEntryWidth) {
        std::int64_t size = segment.u32(at);
        if (size == 0 || content.size() >= entry.size) {
            break;
        }
        if (size <= kPieceHeader || !segment.contains(piece, size)) {
            error = entry.path + ": a piece of its data does not fit its segment";
            return std::nullopt;
        }
        std::int64_t take = std::min(
            {size - kPieceHeader, kPieceData, static_cast<std::int64_t>(entry.size - content.size())});
        std::span<const std::uint8_t> data = segment.at(piece + kPieceHeader, take);
        content.insert(content.end(), data.begin(), data.end());
        piece += size;
    }
    if (content.size() < entry.size) {
        error = entry.path + ": its data holds " + std::to_string(content.size()) + " of " +
                std::to_string(entry.size) + " bytes";
        return std::nullopt;
    }
    return content;
}

}  // namespace quelvane
