#include "export/ExportFieldDecoder.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "conversion/ConversionBackend.h"
#include "conversion/Utf8Text.h"
#include "export/ExportFieldText.h"
#include "savefile/BigEndianReader.h"
#include "savefile/DecodingFailure.h"

namespace quelvane {

ExportFieldDecoder::ExportFieldDecoder(ExportSession& session) : session_(session) {
    const std::optional<std::int32_t> hostPage = session.views.storedCcsidHostPage;
    if (!hostPage) {
        return;
    }
    pcPage_ = ConversionBackend::standard().openPcPage(session.pcCodePage);
    if (pcPage_ == nullptr) {
        throw DecodingFailure("no converter for PC code page " + std::to_string(session.pcCodePage));
    }
    byCcsid_ = std::make_unique<FieldTextByCcsid>(*hostPage, session.views.converter);
    // The PC pages spell ASCII's printable characters as ASCII, nearly all of them: the ones a
    // page spells so are copied as they are, which most field texts are made of alone.
    std::string spelled;
    for (char16_t c = kFirstPrintable; c <= kLastPrintable; ++c) {
        pcPage_->encode(std::u16string_view(&c, 1), PcPageCodec::Substitution::pageCharacter, spelled,
                        nullptr);
        spelledAsAscii_[c] = spelled.size() == 1 && spelled[0] == static_cast<char>(c);
    }
}

bool ExportFieldDecoder::spelledAsAscii(std::string_view utf8) const {
    return std::all_of(utf8.begin(), utf8.end(), [this](char c) {
        const auto unit = static_cast<unsigned char>(c);
        return unit < spelledAsAscii_.size() && spelledAsAscii_[unit];
    });
}

ExportFieldDecoder::~ExportFieldDecoder() {
    if (byCcsid_ == nullptr) {
        return;
    }
    std::vector<std::string>& notes = session_.ccsidFallbackNotes;
    for (const std::string& note : byCcsid_->fallbackNotes()) {
        if (std::find(notes.begin(), notes.end(), note) == notes.end()) {
            notes.push_back(note);
        }
    }
}

void ExportFieldDecoder::decode(std::span<const std::uint8_t> record, const SavedField& field,
                                std::string& text) {
    if (byCcsid_ == nullptr || !FieldTextByCcsid::decidesText(field)) {
        exportFieldText(record, field, session_.views.converter, text);
        return;
    }
    const std::span<const std::uint8_t> bytes = BigEndianReader(record).at(field.offset, field.length);
    byCcsid_->decode(bytes, field, utf8_);
    if (spelledAsAscii(utf8_)) {
        text.assign(utf8_);
        return;
    }
    decodeUtf8(utf8_, wide_, nullptr);
    pcPage_->encode(wide_, PcPageCodec::Substitution::pageCharacter, text, nullptr);
}

}  // namespace quelvane
