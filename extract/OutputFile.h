#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace quelvane {

// A file written under a temporary name beside its final one and renamed into place only when it
// is complete, so an interrupted or failed extraction never leaves a partial file under a name a
// reader would take for the real one. Writes go through a buffer of its own.
class OutputFile {
  public:
    static constexpr const char* kTemporarySuffix = ".quelvane-part";

    OutputFile() = default;
    ~OutputFile();

    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the temporary file for `finalPath` (its folders too). False, with error() saying
    // why, when it cannot be created.
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
    void discard();

    bool isOpen() const { return file_ != nullptr; }
    std::int64_t bytesWritten() const { return written_; }
    const std::string& error() const { return error_; }

  private:
    static constexpr std::size_t kBufferSize = 1 << 20;

    void flush();

    std::FILE* file_ = nullptr;
    std::filesystem::path final_;
    std::filesystem::path temporary_;
    std::string buffer_;
    std::int64_t written_ = 0;
    bool failed_ = false;
    std::string error_;
};

}  // namespace quelvane
