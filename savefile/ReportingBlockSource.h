#pragma once

#include <cstdint>

#include "savefile/BlockSource.h"
#include "savefile/ProgressReporter.h"
#include "savefile/ReadFailure.h"

namespace quelvane {

// What a read through a ReportingBlockSource raises once its reporter asks to stop.
class ReadCancelled final : public ReadFailure {
  public:
    ReadCancelled() : ReadFailure("the reading was cancelled") {}
};

// Reads through another source and makes every read a point where long work is told how far it
// is and may be stopped: the reporter hears the bytes read so far (a byte read twice counts
// twice) of the source's size, and a read asked for after the reporter says it is cancelled
// raises ReadCancelled. Every loop of a parse reads its bytes, so a parse over this source stops
// within one read of the request; the readers end on a failure of the source as on any other.
class ReportingBlockSource final : public BlockSource {
  public:
    // Both must outlive this source; `reporter` is asked from the reading thread.
    ReportingBlockSource(BlockSource& source, ProgressReporter& reporter)
        : source_(source), reporter_(reporter) {}

    bool isOpen() const override { return source_.isOpen(); }
    std::int64_t size() const override { return source_.size(); }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count) override;

  private:
    BlockSource& source_;
    ProgressReporter& reporter_;
    std::int64_t read_ = 0;
};

}  // namespace quelvane
