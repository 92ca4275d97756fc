#pragma once

#include <string>

#include "conversion/Notifier.h"
#include "savefile/DecodingFailure.h"

namespace quelvane {

// A segment whose coded data cannot be expanded as its header declares: the message names the
// segment and says why. Readers that end their step on a DecodingFailure end it on this too; the
// views and exports show the message, so a damaged segment never yields made-up bytes.
class SegmentExpansionFailure : public DecodingFailure {
  public:
    explicit SegmentExpansionFailure(const std::string& what) : DecodingFailure(what) {}
};

// After a view's or an export's own failure message: which segment could not be expanded and
// why, when that was the cause.
inline void reportExpansionFailure(Notifier& notifier, const std::exception& failure) {
    if (dynamic_cast<const SegmentExpansionFailure*>(&failure) != nullptr) {
        notifier.message(failure.what());
    }
}

}  // namespace quelvane
