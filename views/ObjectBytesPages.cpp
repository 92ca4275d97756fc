#include "views/ObjectBytesPages.h"

#include "describe/HexDump.h"

namespace quelvane {

ObjectBytesPages::ObjectBytesPages(ViewSession& session, const SavedObject& object)
    : converter_(session.converter), source_(session.openSaveFile()) {
    if (source_ == nullptr || !source_->isOpen()) {
        failure_ = "The save file cannot be read";
        return;
    }
    data_ = ObjectData::locate(*source_, session.catalog, object, failure_);
}

std::int64_t ObjectBytesPages::lineCount() const {
    return (size() + HexDump::kBytesPerLine - 1) / HexDump::kBytesPerLine;
}

const std::string& ObjectBytesPages::line(std::int64_t index) {
    if (!data_ || index < 0 || index >= lineCount()) {
        return none_;
    }
    const std::int64_t start = index / kLinesPerPage * kLinesPerPage;
    if (start != pageStart_) {
        page_ = HexDump::page(*data_, start * HexDump::kBytesPerLine, kLinesPerPage * HexDump::kBytesPerLine,
                              converter_);
        pageStart_ = start;
        ++pagesRead_;
    }
    const auto at = static_cast<std::size_t>(index - start);
    return at < page_.size() ? page_[at] : none_;
}

}  // namespace quelvane
