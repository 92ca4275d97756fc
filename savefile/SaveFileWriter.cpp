#include "savefile/SaveFileWriter.h"

#include <algorithm>
#include <fstream>
#include <system_error>
#include <vector>

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
    if (copyAll(source, temporary, why)) {
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
