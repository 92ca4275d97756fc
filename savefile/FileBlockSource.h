#pragma once

#include <cstdint>
#include <string>

#include "savefile/BlockSource.h"

namespace quelvane {

// A save file on disk, opened read-only; the file is never written.
class FileBlockSource final : public BlockSource {
  public:
    explicit FileBlockSource(const std::string& path);
    ~FileBlockSource() override;

    FileBlockSource(const FileBlockSource&) = delete;
    FileBlockSource& operator=(const FileBlockSource&) = delete;

    bool isOpen() const override { return descriptor_ >= 0; }
    std::int64_t size() const override { return size_; }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count) override;

  private:
    int descriptor_ = -1;
    std::int64_t size_ = 0;
};

}  // namespace quelvane
