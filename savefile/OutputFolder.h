#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quelvane {

// A folder output goes into, held open by descriptor. The folder the user chose is taken as
// given (links in that path are the user's own); every name below it is opened relative to it
// without following a link, so a link already lying in the folder, to a file or folder outside,
// is refused rather than written through.
class OutputFolder {
  public:
    OutputFolder() = default;
    ~OutputFolder();
    OutputFolder(OutputFolder&& other) noexcept;
    OutputFolder& operator=(OutputFolder&& other) noexcept;
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;

    // The chosen folder `path`, with its missing parents created when `create` is set. Not open,
    // with `why` saying why, when it cannot be opened.
    static OutputFolder open(const std::filesystem::path& path, bool create, std::string& why);

    // The folder reached from this one by `names`, one file name each, created where missing
    // when `create` is set. A name that is a link, or something other than a folder, is refused.
    OutputFolder below(const std::vector<std::string>& names, bool create, std::string& why) const;

    // The names of a relative path, for below(); empty when the path is empty, absolute or
    // climbs with "..".
    static std::vector<std::string> namesOf(const std::filesystem::path& relative);

    bool isOpen() const { return descriptor_ >= 0; }
    int descriptor() const { return descriptor_; }
    // The folder's path, for messages and for callers that need one.
    const std::filesystem::path& path() const { return path_; }

  private:
    OutputFolder(int descriptor, std::filesystem::path path)
        : descriptor_(descriptor), path_(std::move(path)) {}

    int descriptor_ = -1;
    std::filesystem::path path_;
};

}  // namespace quelvane
