#include "extract/OutputFile.h"

#include <vector>

namespace quelvane {

void OutputFile::prepare() {
    if (buffer_ == nullptr) {
        buffer_.reset(new char[kBufferSize]);
    }
    used_ = 0;
    written_ = 0;
    error_.clear();
}

bool OutputFile::open(const OutputFolder& root, const std::filesystem::path& relative) {
    prepare();
    std::vector<std::string> names = OutputFolder::namesOf(relative);
    if (names.empty()) {
        error_ = "cannot create " + (root.path() / relative).string() + ": not a name below the folder";
        return false;
    }
    const std::string name = names.back();
    names.pop_back();
    OutputFolder folder = root.below(names, true, error_);
    if (!folder.isOpen()) {
        return false;
    }
    error_.clear();
    return file_.open(folder, name, AtomicFile::Existing::ReplaceRegular);
}

bool OutputFile::open(const std::filesystem::path& finalPath) {
    prepare();
    return file_.open(finalPath, AtomicFile::Existing::ReplaceRegular, true);
}

void OutputFile::flush() {
    file_.write(std::string_view(buffer_.get(), used_));
    used_ = 0;
}

void OutputFile::writeLong(std::string_view bytes) {
    flush();
    if (bytes.size() <= kBufferSize) {
        write(bytes);
        return;
    }
    file_.write(bytes);
    written_ += static_cast<std::int64_t>(bytes.size());
}

bool OutputFile::commit() {
    if (!error_.empty()) {
        return false;
    }
    flush();
    return file_.commit();
}

}  // namespace quelvane
