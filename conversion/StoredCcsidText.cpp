#include "conversion/StoredCcsidText.h"

#include <algorithm>

#include "conversion/Utf8Text.h"

namespace quelvane {

namespace {

constexpr std::uint16_t kBinaryCcsid = 65535;
constexpr std::uint8_t kShiftOut = 0x0E;
constexpr std::uint8_t kShiftIn = 0x0F;
// EBCDIC controls lie below the blank; a zero byte pads text and is taken as text.
constexpr std::uint8_t kEbcdicBlank = 0x40;

bool holdsControls(std::span<const std::uint8_t> bytes) {
    return std::any_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b != 0 && b < kEbcdicBlank; });
}

void appendHex(std::span<const std::uint8_t> bytes, std::string& out) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (std::uint8_t b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
}

}  // namespace

StoredCcsidText::StoredCcsidText(std::int32_t hostPage, ConversionBackend& backend)
    : backend_(backend), hostPage_(backend.openHostPage(hostPage)) {}

StoredCcsidText::~StoredCcsidText() = default;

const StoredCcsidText::Reading& StoredCcsidText::readingOf(std::uint16_t ccsid) {
    if (lastReading_ != nullptr && lastCcsid_ == ccsid) {
        return *lastReading_;
    }
    auto found = readings_.find(ccsid);
    if (found == readings_.end()) {
        Reading reading;
        reading.entry = findStoredCcsid(ccsid);
        if (reading.entry != nullptr) {
            const bool unicode =
                reading.entry->form == CcsidForm::utf16 || reading.entry->form == CcsidForm::utf8;
            if (!unicode) {
                reading.decoder = backend_.openStoredCcsid(ccsid);
            }
            reading.converts = unicode || reading.decoder != nullptr;
        }
        found = readings_.emplace(ccsid, std::move(reading)).first;
    }
    lastCcsid_ = ccsid;
    lastReading_ = &found->second;
    return found->second;
}

bool StoredCcsidText::converts(std::uint16_t ccsid) {
    return readingOf(ccsid).converts;
}

void StoredCcsidText::decodeWith(CodePageDecoder* decoder, std::span<const std::uint8_t> bytes,
                                 std::string& utf8) {
    utf8.clear();
    if (decoder == nullptr) {
        appendHex(bytes, utf8);
        return;
    }
    decoder->decode(bytes, wide_, nullptr);
    appendUtf8(wide_, utf8);
}

StoredCcsidText::Outcome StoredCcsidText::decode(std::span<const std::uint8_t> bytes, std::uint16_t ccsid,
                                                 bool binaryAsHex, std::string& utf8) {
    const Reading& reading = readingOf(ccsid);
    if (!reading.converts) {
        if (ccsid == kBinaryCcsid && binaryAsHex && holdsControls(bytes)) {
            utf8.clear();
            appendHex(bytes, utf8);
            return Outcome::hex;
        }
        decodeWith(hostPage_.get(), bytes, utf8);
        return Outcome::chosenPage;
    }
    switch (reading.entry->form) {
        case CcsidForm::utf16:
            units_.clear();
            for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
                units_.push_back(static_cast<char16_t>((bytes[i] << 8) | bytes[i + 1]));
            }
            utf8.clear();
            appendUtf8(units_, utf8);
            break;
        case CcsidForm::utf8:
            utf8.assign(bytes.begin(), bytes.end());
            break;
        case CcsidForm::doubleByteOfMixed:
            wrapped_.clear();
            wrapped_ += static_cast<char>(kShiftOut);
            wrapped_.append(bytes.begin(), bytes.end());
            wrapped_ += static_cast<char>(kShiftIn);
            decodeWith(reading.decoder.get(),
                       {reinterpret_cast<const std::uint8_t*>(wrapped_.data()), wrapped_.size()}, utf8);
            break;
        default:
            decodeWith(reading.decoder.get(), bytes, utf8);
            break;
    }
    return Outcome::byCcsid;
}

std::string StoredCcsidText::fallbackNote(Outcome outcome, std::uint16_t ccsid) {
    switch (outcome) {
        case Outcome::byCcsid:
            return {};
        case Outcome::hex:
            return "CCSID 65535, shown as hex";
        case Outcome::chosenPage:
            break;
    }
    return "CCSID " + std::to_string(ccsid) + ", read in the chosen EBCDIC page";
}

}  // namespace quelvane
