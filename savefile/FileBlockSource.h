#pragma once

#include <cstdint>
#include <string>

#include "savefile/BlockSource.h"

namespace quelvane {

// A save file on disk, opened read-only; the file is never written. Only a regular file or a
// block device is opened: a FIFO, a socket or a terminal would block the open or the reads, and a
// folder holds no bytes. A read that fails, or that ends before the size the file had when it
// was opened, raises ReadFailure with the reason: such a file changed or broke while being read,
// and the bytes it no longer gives are not the end of the save.
class FileBlockSource final : public BlockSource {
  public:
    explicit FileBlockSource(const std::string& path);
    ~FileBlockSource() override;

    FileBlockSource(const FileBlockSource&) = delete;
    FileBlockSource& operator=(const FileBlockSource&) = delete;

    bool isOpen() const override { return descriptor_ >= 0; }
    std::int64_t size() const override { return size_; }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count) override;

    // Why the file could not be opened (empty when it was).
    const std::string& openError() const { return openError_; }

  private:
    void fail(const std::string& reason);

    int descriptor_ = -1;
    std::int64_t size_ = 0;
    std::string openError_;
};

}  // namespace quelvane
