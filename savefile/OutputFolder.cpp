#include "savefile/OutputFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace quelvane {

namespace {

constexpr mode_t kFolderMode = 0777;
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

std::string reasonOf(int error) {
    return std::strerror(error);
}

// The folder `name` in `parent`, opened without following a link; -1 with `error` set when it
// cannot be, ELOOP or ENOTDIR naming a link or another kind of file.
int openChild(int parent, const std::string& name, bool create, int& error) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int child = ::openat(parent, name.c_str(), kFolderFlags | O_NOFOLLOW);
        if (child >= 0) {
            return child;
        }
        error = errno;
        if (error != ENOENT || !create) {
            return -1;
        }
        if (::mkdirat(parent, name.c_str(), kFolderMode) != 0 && errno != EEXIST) {
            error = errno;
            return -1;
        }
    }
    return -1;
}

std::string refusal(const std::filesystem::path& place, int parent, const std::string& name, int error) {
    struct stat status {};
    if ((error == ELOOP || error == ENOTDIR) &&
        ::fstatat(parent, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(status.st_mode)) {
            return place.string() + " is a link; nothing is written through it";
        }
        return place.string() + " is not a folder";
    }
    return "cannot create " + place.string() + ": " + reasonOf(error);
}

}  // namespace

OutputFolder::~OutputFolder() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

OutputFolder::OutputFolder(OutputFolder&& other) noexcept
    : descriptor_(other.descriptor_), path_(std::move(other.path_)) {
    other.descriptor_ = -1;
}

OutputFolder& OutputFolder::operator=(OutputFolder&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
        descriptor_ = other.descriptor_;
        path_ = std::move(other.path_);
        other.descriptor_ = -1;
    }
    return *this;
}

OutputFolder OutputFolder::open(const std::filesystem::path& path, bool create, std::string& why) {
    const std::filesystem::path folder = path.empty() ? std::filesystem::path(".") : path;
    std::error_code notCreated;
    if (create) {
        std::filesystem::create_directories(folder, notCreated);
    }
    const int descriptor = ::open(folder.c_str(), kFolderFlags);
    if (descriptor < 0) {
        const int error = errno;
        if (error == ENOTDIR) {
            why = folder.string() + " is not a folder";
        } else if (notCreated && error == ENOENT) {
            // The folder is missing because it could not be made: that is the reason to give.
            why = "cannot create " + folder.string() + ": " + notCreated.message();
        } else {
            why = "cannot open " + folder.string() + ": " + reasonOf(error);
        }
        return {};
    }
    return OutputFolder(descriptor, path);
}

OutputFolder OutputFolder::below(const std::vector<std::string>& names, bool create, std::string& why) const {
    if (descriptor_ < 0) {
        why = "the folder " + path_.string() + " is not open";
        return {};
    }
    int current = ::dup(descriptor_);
    std::filesystem::path place = path_;
    for (const std::string& name : names) {
        place /= name;
        if (current < 0) {
            break;
        }
        int error = 0;
        const int child = name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos
                              ? (error = EINVAL, -1)
                              : openChild(current, name, create, error);
        if (child < 0) {
            why = refusal(place, current, name, error);
            ::close(current);
            return {};
        }
        ::close(current);
        current = child;
    }
    if (current < 0) {
        why = "cannot open " + place.string() + ": " + reasonOf(errno);
        return {};
    }
    return OutputFolder(current, place);
}

std::vector<std::string> OutputFolder::namesOf(const std::filesystem::path& relative) {
    std::vector<std::string> names;
    if (relative.is_absolute()) {
        return names;
    }
    for (const std::filesystem::path& part : relative) {
        const std::string name = part.string();
        if (name == "..") {
            return {};
        }
        if (!name.empty() && name != ".") {
            names.push_back(name);
        }
    }
    return names;
}

}  // namespace quelvane
