#include "extract/OutputFile.h"

#include <cerrno>
#include <cstring>
#include <system_error>

namespace quelvane {

OutputFile::~OutputFile() {
    discard();
}

bool OutputFile::open(const std::filesystem::path& finalPath) {
    discard();
    final_ = finalPath;
    temporary_ = finalPath;
    temporary_ += kTemporarySuffix;
    std::error_code code;
    std::filesystem::create_directories(finalPath.parent_path(), code);
    file_ = std::fopen(temporary_.c_str(), "wb");
    if (file_ == nullptr) {
        error_ = "cannot create " + finalPath.string() + ": " + std::strerror(errno);
        return false;
    }
    buffer_.clear();
    buffer_.reserve(kBufferSize);
    written_ = 0;
    failed_ = false;
    error_.clear();
    return true;
}

void OutputFile::flush() {
    if (file_ != nullptr && !buffer_.empty() &&
        std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size() && !failed_) {
        failed_ = true;
        error_ = "cannot write " + final_.string() + ": " + std::strerror(errno);
    }
    buffer_.clear();
}

bool OutputFile::commit() {
    if (file_ == nullptr) {
        return false;
    }
    flush();
    if (std::fclose(file_) != 0 && !failed_) {
        failed_ = true;
        error_ = "cannot write " + final_.string() + ": " + std::strerror(errno);
    }
    file_ = nullptr;
    std::error_code code;
    if (!failed_) {
        std::filesystem::rename(temporary_, final_, code);
        if (code) {
            failed_ = true;
            error_ = "cannot rename to " + final_.string() + ": " + code.message();
        }
    }
    if (failed_) {
        std::filesystem::remove(temporary_, code);
    }
    return !failed_;
}

void OutputFile::discard() {
    if (file_ == nullptr) {
        return;
    }
    std::fclose(file_);
    file_ = nullptr;
    buffer_.clear();
    std::error_code code;
    std::filesystem::remove(temporary_, code);
}

}  // namespace quelvane
