#pragma once

#include <cstdint>
#include <filesystem>
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
        if (buffer_.size() + bytes.size() > kBufferSize) {
            flush();
        }
        buffer_.append(bytes);
        written_ += static_cast<std::int64_t>(bytes.size());
    }
    void put(char c) {
        if (buffer_.size() == kBufferSize) {
            flush();
        }
        buffer_.push_back(c);
        ++written_;
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
    static constexpr std::size_t kBufferSize = 1 << 20;

    void flush();
    void prepare();

    AtomicFile file_;
    std::string buffer_;
    std::int64_t written_ = 0;
    std::string error_;
};

}  // namespace quelvane
