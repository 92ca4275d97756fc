#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <span>
#include <string>

#include "savefile/BigEndianReader.h"
#include "savefile/ExpandedBlockSource.h"
#include "savefile/IfsReader.h"
#include "savefile/IfsStreamReader.h"
#include "savefile/IfsTree.h"
#include "savefile/MemoryBlockSource.h"
#include "savefile/SegmentLayout.h"
#include "tests/support/Cp037Converter.h"

namespace {

constexpr std::int64_t kHeaderSizeAt = 52;
constexpr std::int64_t kHeaderSizeWidth = 4;
constexpr std::int32_t kPcCodePage = 1252;
// Stream files read per input.
constexpr std::size_t kStreamFilesRead = 8;

}  // namespace

// The reader of the integrated file system's directory tree over arbitrary bytes taken as a save
// of it (expanded first when its segments are compressed): the entries and their problems, the
// tree built over them, its captions, and the first stream files read from their data segments.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quelvane;
    std::span<const std::uint8_t> bytes(data, size);
    BigEndianReader header(bytes);
    if (!header.contains(kHeaderSizeAt, kHeaderSizeWidth)) {
        return 0;
    }
    const std::int32_t headerSize = header.s32(kHeaderSizeAt);
    test::Cp037Converter converter;
    MemoryBlockSource stored(bytes);
    try {
        std::shared_ptr<const SegmentLayout> layout = SegmentLayout::scan(stored, headerSize, converter);
        std::unique_ptr<ExpandedBlockSource> expanded;
        if (layout->compressed()) {
            expanded = std::make_unique<ExpandedBlockSource>(stored, layout);
        }
        BlockSource& readable = expanded ? static_cast<BlockSource&>(*expanded) : stored;
        IfsCatalog ifs = IfsReader(readable, converter).read(headerSize);
        std::shared_ptr<const IfsTreeNode> root = IfsTree::of(ifs);
        IfsTree::catalogTree(*root, kPcCodePage);
        std::size_t read = 0;
        for (const IfsEntry& entry : ifs.entries) {
            if (entry.kind != IfsEntry::Kind::StreamFile || read++ >= kStreamFilesRead) {
                continue;
            }
            std::string why;
            try {
                IfsStreamReader(readable).read(entry, why);
            } catch (const std::exception&) {
                // A data segment that cannot be expanded: the view names it.
            }
        }
    } catch (const std::exception&) {
        // The parse ends on any failure with what it read, as the open does.
    }
    return 0;
}
