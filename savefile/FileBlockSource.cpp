#include "savefile/FileBlockSource.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quelvane {

FileBlockSource::FileBlockSource(const std::string& path) {
    descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor_ < 0) {
        return;
    }
    off_t end = ::lseek(descriptor_, 0, SEEK_END);
    size_ = end > 0 ? static_cast<std::int64_t>(end) : 0;
}

FileBlockSource::~FileBlockSource() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
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
        if (got <= 0) {
            break;
        }
        done += got;
    }
    return done;
}

}  // namespace quelvane
