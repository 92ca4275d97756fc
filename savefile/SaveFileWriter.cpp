#include "savefile/SaveFileWriter.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "savefile/AtomicFile.h"
#include "savefile/FailureReason.h"
#include "savefile/SaveFileLayout.h"

namespace quelvane {

namespace {

constexpr std::int64_t kBlockSize = SaveFileLayout::kBlockSize;
constexpr std::int64_t kCopyChunk = kBlockSize * 256;

}  // namespace

bool SaveFileWriter::copyAll(BlockSource& source, AtomicFile& out, std::string& why) {
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(kCopyChunk));
    const std::int64_t size = source.size();
    for (std::int64_t at = 0; at < size && !out.failed(); at += kCopyChunk) {
        const std::int64_t want = std::min(kCopyChunk, size - at);
        if (source.readAt(at, buffer.data(), want) != want) {
            why = "the save ends early, at byte " + std::to_string(at);
            return false;
        }
        out.write(buffer.data(), static_cast<std::size_t>(want));
    }
    return true;
}

std::string SaveFileWriter::write(BlockSource& source, const std::filesystem::path& target) {
    if (!source.isOpen()) {
        return "the save to write cannot be read";
    }
    AtomicFile out;
    if (!out.open(target, AtomicFile::Existing::ReplaceNamed, false)) {
        return out.error();
    }
    std::string why;
    bool copied = false;
    try {
        copied = copyAll(source, out, why);
    } catch (const std::exception& failure) {
        // A source that cannot give its bytes (a file that changed, data that cannot be
        // expanded) leaves no partial copy behind.
        why = "cannot read the save: " + failureReason(failure);
    }
    if (!copied) {
        out.discard();
        return why;
    }
    return out.commit() ? std::string() : out.error();
}

}  // namespace quelvane
