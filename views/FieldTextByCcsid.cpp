#include "views/FieldTextByCcsid.h"

#include <algorithm>

#include "savefile/TypeCodes.h"
#include "views/FieldDecoder.h"

namespace quelvane {

namespace {

constexpr std::uint16_t kBinaryCcsid = 65535;

}  // namespace

FieldTextByCcsid::FieldTextByCcsid(std::int32_t hostPage, EbcdicTextConverter& pairConverter,
                                   ConversionBackend& backend)
    : pairConverter_(pairConverter), texts_(hostPage, backend) {}

bool FieldTextByCcsid::decidesText(const SavedField& field) {
    return field.typeCode == kCharacterFieldType || field.typeCode == kOpenCharacterFieldType ||
           field.typeCode == kGraphicFieldType;
}

FieldTextByCcsid::Fallback FieldTextByCcsid::decodeText(std::span<const std::uint8_t> value,
                                                        const SavedField& field, std::string& utf8) {
    const std::span<const std::uint8_t> bytes =
        value.first(std::min(value.size(), static_cast<std::size_t>(std::max(field.length, 0))));
    const StoredCcsidText::Outcome outcome = texts_.decode(bytes, field.description.ccsid, true, utf8);
    // Text ends at its first NUL as the pair reads it: zero bytes pad a field, and a UTF-16
    // field's zero units do.
    const std::size_t end = utf8.find('\0');
    if (end != std::string::npos) {
        utf8.resize(end);
    }
    Fallback fallback = Fallback::none;
    if (outcome == StoredCcsidText::Outcome::chosenPage) {
        fallback = Fallback::chosenPage;
    } else if (outcome == StoredCcsidText::Outcome::hex) {
        fallback = Fallback::hex;
    }
    if (fallback != Fallback::none) {
        remember(field, fallback);
    }
    return fallback;
}

FieldTextByCcsid::Fallback FieldTextByCcsid::decode(std::span<const std::uint8_t> value,
                                                    const SavedField& field, std::string& utf8) {
    if (!decidesText(field)) {
        decodeFieldValue(value, field, pairConverter_, utf8);
        return Fallback::none;
    }
    const Fallback fallback = decodeText(value, field, utf8);
    if (utf8.empty()) {
        utf8.assign(" ");
    }
    return fallback;
}

FieldTextByCcsid::Fallback FieldTextByCcsid::decodeLoaded(std::span<const std::uint8_t> value,
                                                          const SavedField& field, std::string& utf8,
                                                          LoadedKind& kind) {
    if (!decidesText(field)) {
        kind = decodeLoadedFieldValue(value, field, pairConverter_, utf8);
        return Fallback::none;
    }
    kind = LoadedKind::Text;
    const Fallback fallback = decodeText(value, field, utf8);
    utf8.erase(utf8.find_last_not_of(' ') + 1);
    return fallback;
}

const StoredCcsidText::ByteTable* FieldTextByCcsid::byteTable(const SavedField& field, Fallback& fallback,
                                                              bool& controlsGoHex) {
    StoredCcsidText::Outcome outcome = StoredCcsidText::Outcome::byCcsid;
    const StoredCcsidText::ByteTable* table = texts_.byteTable(field.description.ccsid, outcome);
    fallback = outcome == StoredCcsidText::Outcome::chosenPage ? Fallback::chosenPage : Fallback::none;
    controlsGoHex =
        outcome == StoredCcsidText::Outcome::chosenPage && field.description.ccsid == kBinaryCcsid;
    return decidesText(field) ? table : nullptr;
}

void FieldTextByCcsid::remember(const SavedField& field, Fallback fallback) {
    // A listing meets the same few fields' fallbacks on every record: they are told apart by
    // the field entry they come from, and the note is made once.
    const auto known = std::find_if(fallbacks_.begin(), fallbacks_.end(), [&](const UsedFallback& used) {
        return used.field == &field && used.fallback == fallback;
    });
    if (known == fallbacks_.end()) {
        fallbacks_.push_back(
            {&field, fallback, field.name + ": " + fallbackNote(fallback, field.description.ccsid)});
    }
}

std::vector<std::string> FieldTextByCcsid::fallbackNotes() const {
    std::vector<std::string> notes;
    for (const UsedFallback& used : fallbacks_) {
        if (std::find(notes.begin(), notes.end(), used.note) == notes.end()) {
            notes.push_back(used.note);
        }
    }
    return notes;
}

std::string FieldTextByCcsid::fallbackNote(Fallback fallback, std::uint16_t ccsid) {
    switch (fallback) {
        case Fallback::none:
            return {};
        case Fallback::hex:
            return StoredCcsidText::fallbackNote(StoredCcsidText::Outcome::hex, ccsid);
        case Fallback::chosenPage:
            break;
    }
    return StoredCcsidText::fallbackNote(StoredCcsidText::Outcome::chosenPage, ccsid);
}

}  // namespace quelvane
