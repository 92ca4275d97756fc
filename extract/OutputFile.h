#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "savefile/AtomicFile.h"
#include "savefile/OutputFolder.h"

namespace quelvane {

// A file of an extraction, written through AtomicFile (a temporary name, renamed into place only
// when complete; never through a link) with a buffer of its own for the many small writes of
// CSV fields. An existing regular file of the same name, left by an earlier run, is replaced.
class OutputFile {
  public:
    OutputFile() = default;

    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the temporary file for `relative` below `root`, its folders too, none of them
    // followed through a link. False, with error() saying why, when it cannot be created.
    bool open(const OutputFolder& root, const std::filesystem::path& relative);
    // The same for a path whose folder the user chose.
    bool open(const std::filesystem::path& finalPath);

    void write(std::string_view bytes) {
        if (bytes.size() > kBufferSize - used_) {
            writeLong(bytes);
            return;
        }
        std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
        used_ += bytes.size();
        written_ += static_cast<std::int64_t>(bytes.size());
    }
    void put(char c) {
        if (used_ == kBufferSize) {
            flush();
        }
        buffer_[used_++] = c;
        ++written_;
    }

    // The most bytes room() gives.
    static constexpr std::size_t kLongestRoom = std::size_t{1} << 20;
    // Room for `bytes` bytes (at most kLongestRoom) at the end of what is written, for a writer
    // that composes its text in place; wrote() takes what it composed.
    char* room(std::size_t bytes) {
        if (bytes > kBufferSize - used_) {
            flush();
        }
        return buffer_.get() + used_;
    }
    void wrote(const char* end) {
        const auto bytes = static_cast<std::size_t>(end - (buffer_.get() + used_));
        used_ += bytes;
        written_ += static_cast<std::int64_t>(bytes);
    }

    // Writes out the rest and renames the file to its final name. False, with the temporary
    // file removed, when anything could not be written.
    bool commit();

    // Removes the temporary file.
    void discard() { file_.discard(); }

    bool isOpen() const { return file_.isOpen(); }
    // Whether the commit replaced a file already there.
    bool replaced() const { return file_.replaced(); }
    std::int64_t bytesWritten() const { return written_; }
    const std::string& error() const { return error_.empty() ? file_.error() : error_; }

  private:
    static constexpr std::size_t kBufferSize = kLongestRoom;

    void flush();
    void writeLong(std::string_view bytes);
    void prepare();

    AtomicFile file_;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    std::int64_t written_ = 0;
    std::string error_;
};

}  // namespace quelvane
