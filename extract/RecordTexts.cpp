#include "extract/RecordTexts.h"

#include <algorithm>

#include "savefile/BigEndianReader.h"

namespace quelvane {

namespace {

std::size_t fieldCount(const SavedObject& file) {
    return std::min(file.fields.size(), static_cast<std::size_t>(std::max(file.fieldCount, 0)));
}

}  // namespace

RecordTexts::RecordTexts(const SavedObject& file, EbcdicTextConverter& converter, PcTextToUtf8& utf8,
                         FieldTextByCcsid* byCcsid, const std::vector<std::string>& columnNames)
    : file_(file),
      converter_(converter),
      utf8_(utf8),
      byCcsid_(byCcsid),
      table_(PairByteTable::probe(converter, utf8)),
      plan_(file, fieldCount(file), table_.get()) {
    const std::size_t count = fieldCount(file);
    texts_.resize(count);
    kinds_.resize(count, LoadedKind::Text);
    plain_.resize(count, 0);
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
            plain_[i] = 0;
            byCcsid_->decodeLoaded(slot.at(field.offset, field.length), field, texts_[i], kinds_[i]);
            continue;
        }
        plain_[i] = 0;
        if (plan_.decode(i, record, texts_[i], kinds_[i])) {
            plain_[i] = plan_.plainText(i) ? 1 : 0;
            continue;
        }
        kinds_[i] = decodeLoadedFieldValue(slot.at(field.offset, field.length), field, converter_, texts_[i]);
        if (kinds_[i] == LoadedKind::Text) {
            utf8_.toUtf8InPlace(texts_[i]);
        }
    }
}

}  // namespace quelvane
