#include "savefile/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace quelvane {

namespace {

constexpr mode_t kFileMode = 0666;
constexpr int kTemporaryFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
constexpr int kNameAttempts = 16;
constexpr std::size_t kRandomLetters = 12;
// Room left in a name of at most 255 bytes for the dot, the random letters and the suffix.
constexpr std::size_t kTemporaryStemLimit = 200;
constexpr char kTemporarySuffix[] = ".quelvane-part";
constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

std::string randomLetters() {
    std::random_device device;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof(kLetters) - 2);
    std::string letters;
    for (std::size_t i = 0; i < kRandomLetters; ++i) {
        letters.push_back(kLetters[pick(device)]);
    }
    return letters;
}

// RENAME_NOREPLACE where the kernel and file system have it, else a hard link, which refuses an
// existing name just the same, and the removal of the temporary name.
int renameWithoutReplacing(int folder, const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(folder, from.c_str(), folder, to.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        return -1;
    }
#endif
    if (::linkat(folder, from.c_str(), folder, to.c_str(), 0) != 0) {
        return -1;
    }
    ::unlinkat(folder, from.c_str(), 0);
    return 0;
}

}  // namespace

AtomicFile::~AtomicFile() {
    discard();
    if (folder_ >= 0) {
        ::close(folder_);
    }
}

void AtomicFile::fail(const std::string& what, int error) {
    if (!failed_) {
        failed_ = true;
        error_ = what + (error != 0 ? std::string(": ") + std::strerror(error) : std::string());
    }
}

bool AtomicFile::open(const std::filesystem::path& path, Existing existing, bool createFolder) {
    std::string why;
    OutputFolder folder = OutputFolder::open(path.parent_path(), createFolder, why);
    if (!folder.isOpen()) {
        discard();
        failed_ = true;
        error_ = why;
        final_ = path;
        return false;
    }
    return open(folder, path.filename().string(), existing);
}

bool AtomicFile::open(const OutputFolder& folder, const std::string& name, Existing existing) {
    discard();
    if (folder_ >= 0) {
        ::close(folder_);
    }
    folder_ = folder.isOpen() ? ::dup(folder.descriptor()) : -1;
    name_ = name;
    final_ = folder.path() / name;
    existing_ = existing;
    buffer_.clear();
    error_.clear();
    written_ = 0;
    failed_ = false;
    replaced_ = false;
    device_ = false;
    if (folder_ < 0) {
        fail("cannot create " + final_.string() + ": the folder is not open", 0);
        return false;
    }
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        fail("cannot create " + final_.string() + ": not a file name", 0);
        return false;
    }
    if (!finalNameAllowed() || (!device_ && !createTemporary())) {
        return false;
    }
    buffer_.reserve(kBufferSize);
    return true;
}

// Whether the final name may be taken: free, or an existing regular file the caller lets go.
bool AtomicFile::finalNameAllowed() {
    struct stat status {};
    if (::fstatat(folder_, name_.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) {
            return true;
        }
        fail("cannot create " + final_.string(), errno);
        return false;
    }
    if (S_ISLNK(status.st_mode)) {
        fail(final_.string() + " is a link; nothing is written through it", 0);
    } else if (S_ISCHR(status.st_mode) && existing_ == Existing::ReplaceNamed && file_ < 0) {
        return openDevice();
    } else if (!S_ISREG(status.st_mode)) {
        fail(final_.string() + " exists and is not a regular file; not replaced", 0);
    } else if (existing_ == Existing::Refuse) {
        fail(final_.string() + " exists; not replaced", 0);
    }
    return !failed_;
}

bool AtomicFile::openDevice() {
    file_ = ::openat(folder_, name_.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (file_ < 0) {
        fail("cannot open " + final_.string(), errno);
        return false;
    }
    device_ = true;
    return true;
}

bool AtomicFile::createTemporary() {
    const std::string stem = "." + name_.substr(0, kTemporaryStemLimit) + ".";
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        temporary_ = stem + randomLetters() + kTemporarySuffix;
        file_ = ::openat(folder_, temporary_.c_str(), kTemporaryFlags, kFileMode);
        if (file_ >= 0) {
            return true;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    temporary_.clear();
    fail("cannot create " + final_.string(), errno);
    return false;
}

void AtomicFile::write(std::string_view bytes) {
    if (file_ < 0) {
        return;
    }
    written_ += static_cast<std::int64_t>(bytes.size());
    if (buffer_.size() + bytes.size() > kBufferSize) {
        flush();
    }
    if (bytes.size() >= kBufferSize) {
        writeOut(bytes);
    } else {
        buffer_.append(bytes);
    }
}

void AtomicFile::flush() {
    writeOut(buffer_);
    buffer_.clear();
}

void AtomicFile::writeOut(std::string_view bytes) {
    std::size_t done = 0;
    while (!failed_ && done < bytes.size()) {
        const ssize_t wrote = ::write(file_, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            fail("cannot write " + final_.string(), wrote < 0 ? errno : ENOSPC);
            break;
        }
        done += static_cast<std::size_t>(wrote);
    }
}

bool AtomicFile::renameIntoPlace() {
    if (existing_ == Existing::Refuse) {
        if (renameWithoutReplacing(folder_, temporary_, name_) != 0) {
            const int error = errno;
            fail(error == EEXIST ? final_.string() + " exists; not replaced"
                                 : "cannot create " + final_.string(),
                 error == EEXIST ? 0 : error);
            return false;
        }
        return true;
    }
    struct stat status {};
    const bool exists = ::fstatat(folder_, name_.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists && !S_ISREG(status.st_mode)) {
        fail(final_.string() + (S_ISLNK(status.st_mode) ? " is a link; nothing is written through it"
                                                        : " exists and is not a regular file; not replaced"),
             0);
        return false;
    }
    if (::renameat(folder_, temporary_.c_str(), folder_, name_.c_str()) != 0) {
        fail("cannot create " + final_.string(), errno);
        return false;
    }
    replaced_ = exists;
    return true;
}

bool AtomicFile::commit() {
    if (file_ < 0) {
        if (!failed_) {
            fail("cannot write " + final_.string() + ": the file is not open", 0);
        }
        return false;
    }
    flush();
    if (::close(file_) != 0) {
        fail("cannot write " + final_.string(), errno);
    }
    file_ = -1;
    if (device_) {
        return !failed_;
    }
    if (!failed_ && renameIntoPlace()) {
        temporary_.clear();
        return true;
    }
    ::unlinkat(folder_, temporary_.c_str(), 0);
    temporary_.clear();
    return false;
}

void AtomicFile::discard() {
    if (file_ >= 0) {
        ::close(file_);
        file_ = -1;
    }
    if (!temporary_.empty() && folder_ >= 0) {
        ::unlinkat(folder_, temporary_.c_str(), 0);
    }
    temporary_.clear();
    buffer_.clear();
}

}  // namespace quelvane
