#include "savefile/FileBlockSource.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "savefile/ReadFailure.h"

namespace quelvane {

namespace {

std::string kindOf(mode_t mode) {
    if (S_ISDIR(mode)) {
        return std::strerror(EISDIR);
    }
    if (S_ISFIFO(mode)) {
        return "a FIFO, not a file";
    }
    if (S_ISSOCK(mode)) {
        return "a socket, not a file";
    }
    if (S_ISCHR(mode)) {
        return "a character device, not a file";
    }
    return "not a regular file";
}

}  // namespace

// Opened without blocking, so that a FIFO without a writer is refused instead of waiting for one.
FileBlockSource::FileBlockSource(const std::string& path) {
    descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (descriptor_ < 0) {
        openError_ = std::strerror(errno);
        return;
    }
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0) {
        fail(std::strerror(errno));
        return;
    }
    if (!S_ISREG(status.st_mode) && !S_ISBLK(status.st_mode)) {
        fail(kindOf(status.st_mode));
        return;
    }
    const int flags = ::fcntl(descriptor_, F_GETFL);
    if (flags >= 0) {
        ::fcntl(descriptor_, F_SETFL, flags & ~O_NONBLOCK);
    }
    off_t end = ::lseek(descriptor_, 0, SEEK_END);
    if (end < 0) {
        fail(std::strerror(errno));
        return;
    }
    size_ = static_cast<std::int64_t>(end);
}

FileBlockSource::~FileBlockSource() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

void FileBlockSource::fail(const std::string& reason) {
    openError_ = reason;
    ::close(descriptor_);
    descriptor_ = -1;
    size_ = 0;
}

std::int64_t FileBlockSource::readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count) {
    if (descriptor_ < 0 || offset < 0 || count <= 0) {
        return 0;
    }
    std::int64_t done = 0;
    while (done < count) {
        ssize_t got = ::pread(descriptor_, target + done, static_cast<size_t>(count - done),
                              static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            throw ReadFailure("the file cannot be read at byte " + std::to_string(offset + done) + ": " +
                              std::strerror(errno));
        }
        if (got == 0) {
            break;
        }
        done += got;
    }
    if (done < count && offset + done < size_) {
        throw ReadFailure("the file ends at byte " + std::to_string(offset + done) + ", before the " +
                          std::to_string(size_) +
                          " bytes it held when opened: the file changed while it was read");
    }
    return done;
}

}  // namespace quelvane
