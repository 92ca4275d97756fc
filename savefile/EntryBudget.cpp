#include "savefile/EntryBudget.h"

#include "savefile/DecodingFailure.h"

namespace quelvane {

void EntryBudget::take(std::int64_t count, std::int64_t width, const char* what) {
    if (count <= 0) {
        return;
    }
    if (width > 0 && count > left_ / width) {
        std::string text = std::to_string(count) + " " + what + " claimed, more than the file can hold";
        if (refusal_.empty()) {
            refusal_ = text;
        }
        throw DecodingFailure(text);
    }
    left_ -= count * width;
}

}  // namespace quelvane
