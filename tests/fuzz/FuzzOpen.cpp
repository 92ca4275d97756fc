#include "tests/fuzz/FuzzOpen.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include <unistd.h>

#include "savefile/SaveFileReader.h"

namespace quelvane::test {

namespace {

constexpr std::size_t kBlockCountOffset = 8;
constexpr std::size_t kBlockCountCopyOffset = 60;
constexpr std::size_t kHeaderBytes = 64;

void putU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    }
}

}  // namespace

const std::string& fuzzInputPath() {
    static const std::string path = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "quelvane-fuzz-XXXXXX").string();
        int fd = ::mkstemp(pattern.data());
        if (fd >= 0) {
            ::close(fd);
        }
        return pattern;
    }();
    static const bool removedAtExit = [] {
        std::atexit([] { std::remove(path.c_str()); });
        return true;
    }();
    (void)removedAtExit;
    return path;
}

const std::string& fuzzScratchFolder() {
    static const std::string path = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "quelvane-fuzz-out-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        return pattern;
    }();
    // Registered once the path is whole, so it runs before the path is destroyed.
    static const bool removedAtExit = [] {
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        });
        return true;
    }();
    (void)removedAtExit;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(path, ignored)) {
        std::filesystem::remove_all(entry.path(), ignored);
    }
    return path;
}

void openFuzzedFile(FuzzedFile& file, std::span<const std::uint8_t> bytes, bool agreeBlockCounts) {
    std::vector<std::uint8_t> content(bytes.begin(), bytes.end());
    if (agreeBlockCounts && content.size() >= kHeaderBytes) {
        auto blocks = static_cast<std::uint32_t>(content.size() / 528);
        putU32(content, kBlockCountOffset, blocks);
        putU32(content, kBlockCountCopyOffset, blocks);
    }
    file.path = fuzzInputPath();
    {
        std::ofstream out(file.path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(content.data()),
                  static_cast<std::streamsize>(content.size()));
    }
    file.catalog.segments.reset();
    file.catalog.path = file.path;
    SaveFileReader reader(file.catalog, file.converter, file.notifier);
    file.accepted = reader.parseSaveFile(file.path).accepted;
    if (file.accepted) {
        file.tree = buildCatalogTree(file.catalog);
    }
}

}  // namespace quelvane::test
