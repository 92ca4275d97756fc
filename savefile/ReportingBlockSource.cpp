#include "savefile/ReportingBlockSource.h"

namespace quelvane {

std::int64_t ReportingBlockSource::readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count) {
    if (reporter_.cancelled()) {
        throw ReadCancelled();
    }
    const std::int64_t got = source_.readAt(offset, target, count);
    if (got > 0) {
        read_ += got;
        reporter_.progress(read_, source_.size());
    }
    return got;
}

}  // namespace quelvane
