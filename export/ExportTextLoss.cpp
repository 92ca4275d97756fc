#include "export/ExportTextLoss.h"

namespace quelvane {

void ExportTextLoss::clear() {
    count_ = 0;
    first_ = {};
}

void ExportTextLoss::add(std::int64_t characters, const Place& place) {
    if (characters <= 0) {
        return;
    }
    if (count_ == 0) {
        first_ = place;
    }
    count_ += characters;
}

std::string ExportTextLoss::message(std::int32_t pcCodePage, bool withMember) const {
    if (count_ == 0) {
        return {};
    }
    const std::string page = std::to_string(pcCodePage);
    std::string where = "record " + std::to_string(first_.record) + ", field " + first_.field;
    if (withMember) {
        where = "member " + first_.member + ", " + where;
    }
    return std::to_string(count_) + (count_ == 1 ? " character" : " characters") +
           " could not be written in PC code page " + page + " and " + (count_ == 1 ? "was" : "were") +
           " replaced (the first in " + where + "). Choose the encoding UTF-8 to keep every character.";
}

}  // namespace quelvane
