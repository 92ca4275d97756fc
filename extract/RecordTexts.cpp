#include "extract/RecordTexts.h"

#include <algorithm>

#include "savefile/BigEndianReader.h"

namespace quelvane {

RecordTexts::RecordTexts(const SavedObject& file, EbcdicTextConverter& converter, PcTextToUtf8& utf8,
                         FieldTextByCcsid* byCcsid, const std::vector<std::string>& columnNames)
    : file_(file), converter_(converter), utf8_(utf8), byCcsid_(byCcsid) {
    const std::size_t count =
        std::min(file.fields.size(), static_cast<std::size_t>(std::max(file.fieldCount, 0)));
    texts_.resize(count);
    kinds_.resize(count, LoadedKind::Text);
    for (std::size_t i = 0; i < count; ++i) {
        columnKinds_.push_back(loadedFieldKind(file.fields[i]));
        names_.push_back(i < columnNames.size() ? columnNames[i] : utf8.toUtf8(file.fields[i].name));
    }
}

void RecordTexts::decode(std::span<const std::uint8_t> record) {
    BigEndianReader slot(record);
    for (std::size_t i = 0; i < texts_.size(); ++i) {
        const SavedField& field = file_.fields[i];
        if (byCcsid_ != nullptr && FieldTextByCcsid::decidesText(field)) {
            byCcsid_->decodeLoaded(slot.at(field.offset, field.length), field, texts_[i], kinds_[i]);
            continue;
        }
        kinds_[i] = decodeLoadedFieldValue(slot.at(field.offset, field.length), field, converter_, texts_[i]);
        if (kinds_[i] == LoadedKind::Text) {
            utf8_.toUtf8InPlace(texts_[i]);
        }
    }
}

}  // namespace quelvane
