#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "savefile/MemoryBlockSource.h"

namespace quelvane::test {

// What the readers asked of the sources over one file: how many bytes they read and the
// requests no file could answer (a negative offset or count). A request past the end is
// answered with nothing, as a file is, and so reads nothing outside it. Shared by every source
// opened over the same bytes, so a walk that opens the file per node is seen whole.
struct ReadBounds {
    std::int64_t fileSize = 0;
    std::int64_t bytesRead = 0;
    std::int64_t reads = 0;
    std::int64_t badRequests = 0;

    bool withinFile() const { return badRequests == 0 && bytesRead >= 0; }
};

// Bytes in memory whose reads are entered in a shared ReadBounds.
class ReadBoundsSource final : public BlockSource {
  public:
    ReadBoundsSource(std::span<const std::uint8_t> bytes, std::shared_ptr<ReadBounds> bounds)
        : inner_(bytes), bounds_(std::move(bounds)) {
        bounds_->fileSize = inner_.size();
    }

    bool isOpen() const override { return true; }
    std::int64_t size() const override { return inner_.size(); }

    std::int64_t readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count) override {
        ++bounds_->reads;
        if (offset < 0 || count < 0) {
            ++bounds_->badRequests;
        }
        const std::int64_t got = inner_.readAt(offset, target, count);
        bounds_->bytesRead += got;
        return got;
    }

  private:
    MemoryBlockSource inner_;
    std::shared_ptr<ReadBounds> bounds_;
};

}  // namespace quelvane::test
