#pragma once

#include <cstdint>

namespace quelvane {

// The records view's memory of the member on display, so that clicking the member already listed
// does not list it again. The open command and the exports read and write it as well.
struct ShownMember {
    std::int32_t partIndex = 9999999;
    std::int32_t objectIndex = 99999999;
    std::int32_t memberIndex = 99999999;
    std::int32_t recordLength = 0;
    bool stale = true;

    // What every open does, also when the file dialog is then cancelled.
    void resetForOpen() {
        partIndex = 0;
        objectIndex = 0;
        memberIndex = 0;
        recordLength = 0;
    }
};

}  // namespace quelvane
