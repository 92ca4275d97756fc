#include "views/RecordCells.h"

#include "savefile/BigEndianReader.h"
#include "views/FieldDecoder.h"

namespace quelvane {

void RecordCells::addCells(ContentList& list, std::span<const std::uint8_t> record) {
    BigEndianReader slot(record);
    for (std::int32_t i = 0; i < file_.fieldCount; ++i) {
        const SavedField& field = file_.fields[static_cast<std::size_t>(i)];
        if (byCcsid_ != nullptr) {
            byCcsid_->decode(slot.at(field.offset, field.length), field, text_);
        } else {
            decodeFieldValue(slot.at(field.offset, field.length), field, converter_, text_);
        }
        list.appendCell(text_);
    }
}

}  // namespace quelvane
