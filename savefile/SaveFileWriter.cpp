#include "savefile/SaveFileWriter.h"

#include <algorithm>
#include <exception>
#include <fstream>
#include <system_error>
#include <vector>

#include "savefile/FailureReason.h"

namespace quelvane {

namespace {

constexpr std::int64_t kBlockSize = 528;
constexpr std::int64_t kCopyChunk = kBlockSize * 256;
constexpr char kTemporarySuffix[] = ".partial";

}  // namespace

bool SaveFileWriter::copyAll(BlockSource& source, const std::filesystem::path& to, std::string& why) {
    if (!source.isOpen()) {
        why = "the save to write cannot be read";
        return false;
    }
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    if (!out) {
        why = "cannot create " + to.string();
        return false;
    }
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(kCopyChunk));
    const std::int64_t size = source.size();
    for (std::int64_t at = 0; at < size; at += kCopyChunk) {
        const std::int64_t want = std::min(kCopyChunk, size - at);
        if (source.readAt(at, buffer.data(), want) != want) {
            why = "the save ends early, at byte " + std::to_string(at);
            return false;
        }
        if (!out.write(reinterpret_cast<const char*>(buffer.data()), static_cast<std::streamsize>(want))) {
            why = "cannot write " + to.string();
            return false;
        }
    }
    out.close();
    if (!out) {
        why = "cannot write " + to.string();
        return false;
    }
    return true;
}

std::string SaveFileWriter::write(BlockSource& source, const std::filesystem::path& target) {
    std::filesystem::path temporary = target;
    temporary += kTemporarySuffix;
    std::string why;
    std::error_code error;
    bool copied = false;
    try {
        copied = copyAll(source, temporary, why);
    } catch (const std::exception& failure) {
        // A source that cannot give its bytes (a file that changed, data that cannot be
        // expanded) leaves no partial copy behind.
        why = "cannot read the save: " + failureReason(failure);
    }
    if (copied) {
        std::filesystem::rename(temporary, target, error);
        if (!error) {
            return {};
        }
        why = "cannot write " + target.string() + ": " + error.message();
    }
    std::filesystem::remove(temporary, error);
    return why;
}

}  // namespace quelvane
