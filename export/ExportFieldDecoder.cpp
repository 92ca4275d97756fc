#include "export/ExportFieldDecoder.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "conversion/ConversionBackend.h"
#include "conversion/Utf8Text.h"
#include "export/ExportFieldText.h"
#include "savefile/BigEndianReader.h"
#include "savefile/DecodingFailure.h"
#include "savefile/TypeCodes.h"

namespace quelvane {

namespace {

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

ExportFieldDecoder::ExportFieldDecoder(ExportSession& session, std::string memberName)
    : session_(session),
      memberName_(std::move(memberName)),
      utf8Text_(session.textEncoding == ExportTextEncoding::Utf8),
      pcUtf8_(std::make_unique<PcTextToUtf8>(session.pcCodePage)),
      table_(PairByteTable::probe(session.views.converter, *pcUtf8_)) {
    const std::optional<std::int32_t> hostPage = session.views.storedCcsidHostPage;
    if (!hostPage && !utf8Text_) {
        return;
    }
    pcPage_ = ConversionBackend::standard().openPcPage(session.pcCodePage);
    if (pcPage_ == nullptr) {
        throw DecodingFailure("no converter for PC code page " + std::to_string(session.pcCodePage));
    }
    if (hostPage) {
        byCcsid_ = std::make_unique<FieldTextByCcsid>(*hostPage, session.views.converter);
    }
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

bool ExportFieldDecoder::readByCcsid(std::span<const std::uint8_t> record, const SavedField& field) {
    if (byCcsid_ == nullptr || !FieldTextByCcsid::decidesText(field)) {
        return false;
    }
    const std::span<const std::uint8_t> bytes = BigEndianReader(record).at(field.offset, field.length);
    byCcsid_->decode(bytes, field, utf8_);
    wide_.clear();
    if (!spelledAsAscii(utf8_)) {
        decodeUtf8(utf8_, wide_, nullptr);
    }
    return true;
}

bool ExportFieldDecoder::pairText(std::span<const std::uint8_t> record, const SavedField& field,
                                  std::string& text) const {
    if (table_ == nullptr || field.offset < 0 || field.length < 0 ||
        static_cast<std::size_t>(field.offset) + static_cast<std::size_t>(field.length) > record.size()) {
        return false;
    }
    const std::span<const std::uint8_t> bytes =
        record.subspan(static_cast<std::size_t>(field.offset), static_cast<std::size_t>(field.length));
    switch (field.typeCode) {
        case kCharacterFieldType:
        case kOpenCharacterFieldType:
            if (!table_->pcText(bytes, text)) {
                return false;
            }
            if (text.empty()) {
                text.assign(" ");
            }
            return true;
        case kTimeFieldType:
            return table_->timeText(bytes, text);
        default:
            return false;
    }
}

bool ExportFieldDecoder::keeps(std::u16string_view character, char32_t codePoint) {
    const auto known = kept_.find(codePoint);
    if (known != kept_.end()) {
        return known->second;
    }
    if (kept_.size() >= kMostRemembered) {
        kept_.clear();
    }
    pcPage_->encode(character, PcPageCodec::Substitution::pageCharacter, bytes_, nullptr);
    const auto* first = reinterpret_cast<const std::uint8_t*>(bytes_.data());
    pcPage_->decode(std::span<const std::uint8_t>(first, bytes_.size()), readBack_, nullptr);
    const bool same = readBack_ == character;
    kept_.emplace(codePoint, same);
    return same;
}

std::int64_t ExportFieldDecoder::lostCharacters() {
    std::int64_t lost = 0;
    for (std::size_t i = 0; i < wide_.size();) {
        std::size_t units = 1;
        char32_t codePoint = wide_[i];
        if (isHighSurrogate(wide_[i]) && i + 1 < wide_.size() && isLowSurrogate(wide_[i + 1])) {
            units = 2;
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (wide_[i + 1] - 0xDC00);
        }
        const bool ascii = codePoint < spelledAsAscii_.size() && spelledAsAscii_[codePoint];
        if (!ascii && !keeps(std::u16string_view(wide_).substr(i, units), codePoint)) {
            ++lost;
        }
        i += units;
    }
    return lost;
}

void ExportFieldDecoder::decode(std::span<const std::uint8_t> record, const SavedField& field,
                                std::string& text) {
    if (!readByCcsid(record, field)) {
        if (!pairText(record, field, text)) {
            exportFieldText(record, field, session_.views.converter, text);
        }
        if (utf8Text_) {
            const auto* first = reinterpret_cast<const std::uint8_t*>(text.data());
            pcPage_->decode(std::span<const std::uint8_t>(first, text.size()), wide_, nullptr);
            text = utf16ToUtf8(wide_);
        }
        return;
    }
    if (utf8Text_ || wide_.empty()) {
        text.assign(utf8_);
        return;
    }
    pcPage_->encode(wide_, PcPageCodec::Substitution::pageCharacter, text, nullptr);
    session_.textLoss.add(lostCharacters(), {memberName_, record_, field.name});
}

bool ExportFieldDecoder::decodeCell(std::span<const std::uint8_t> record, const SavedField& field,
                                    std::string& text, std::u16string& unicode) {
    if (!readByCcsid(record, field)) {
        if (!pairText(record, field, text)) {
            exportFieldText(record, field, session_.views.converter, text);
        }
        return false;
    }
    if (wide_.empty()) {
        text.assign(utf8_);
        return false;
    }
    pcPage_->encode(wide_, PcPageCodec::Substitution::pageCharacter, text, nullptr);
    if (lostCharacters() == 0) {
        return false;
    }
    unicode = wide_;
    return true;
}

}  // namespace quelvane
