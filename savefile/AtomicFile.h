#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "savefile/OutputFolder.h"

namespace quelvane {

// A file written under a temporary name beside its final one and renamed into place only when it
// is whole, so a failure, a full disk or an interruption never leaves a cut file under a name a
// reader would take for the real one. The temporary name is unpredictable and created
// exclusively, so nothing already lying in the folder (a link above all) receives the bytes. The
// rename replaces a name, never what a link at that name points to; even so an existing link,
// folder or other special file at the final name is refused, and an existing regular file is
// replaced only when the caller allows it.
class AtomicFile {
  public:
    // ReplaceNamed is for a path the user named: a regular file is replaced, and a character
    // device (/dev/null, a terminal) is written to as it is, there being no name to rename to.
    enum class Existing { Refuse, ReplaceRegular, ReplaceNamed };

    AtomicFile() = default;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file for `name` in `folder`. False, with error() saying why, when it
    // cannot be created or the final name is refused.
    bool open(const OutputFolder& folder, const std::string& name, Existing existing);
    // The same for a path given by the user: its folder is taken as chosen, created when
    // `createFolder` is set.
    bool open(const std::filesystem::path& path, Existing existing, bool createFolder);

    void write(std::string_view bytes);
    void write(const void* bytes, std::size_t size) {
        write(std::string_view(static_cast<const char*>(bytes), size));
    }

    // Writes out the rest and renames the file to its final name. False, with the temporary
    // file removed and error() saying why, when anything could not be written or renamed.
    bool commit();
    // Removes the temporary file.
    void discard();

    bool isOpen() const { return file_ >= 0; }
    // Whether the commit replaced an existing file.
    bool replaced() const { return replaced_; }
    bool failed() const { return failed_; }
    std::int64_t bytesWritten() const { return written_; }
    const std::string& error() const { return error_; }
    // The final path, for messages.
    const std::filesystem::path& path() const { return final_; }
    // The temporary file's path while it is open, for a writer that opens it by name itself.
    std::filesystem::path temporaryPath() const {
        return temporary_.empty() ? std::filesystem::path() : final_.parent_path() / temporary_;
    }

  private:
    static constexpr std::size_t kBufferSize = 1 << 18;

    bool finalNameAllowed();
    bool openDevice();
    bool createTemporary();
    bool renameIntoPlace();
    void flush();
    void writeOut(std::string_view bytes);
    void fail(const std::string& what, int error);

    int folder_ = -1;
    int file_ = -1;
    std::string name_;
    std::string temporary_;
    std::filesystem::path final_;
    Existing existing_ = Existing::Refuse;
    std::string buffer_;
    std::string error_;
    std::int64_t written_ = 0;
    bool failed_ = false;
    bool replaced_ = false;
    bool device_ = false;
};

}  // namespace quelvane
