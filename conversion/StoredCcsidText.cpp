#include "conversion/StoredCcsidText.h"

#include <algorithm>
#include <cstring>

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

StoredCcsidText::StoredCcsidText(std::int32_t hostPage, ConversionBackend& backend) : backend_(backend) {
    hostPage_.decoder = backend.openHostPage(hostPage);
    addByteTable(hostPage_);
}

void StoredCcsidText::addByteTable(Reading& reading) {
    if (reading.decoder == nullptr || reading.decoder->shape() != CodePageDecoder::Shape::singleByte) {
        return;
    }
    auto table = std::make_unique<ByteTable>();
    std::string utf8;
    for (std::size_t byte = 0; byte < table->size(); ++byte) {
        const std::uint8_t one = static_cast<std::uint8_t>(byte);
        reading.decoder->decode({&one, 1}, wide_, nullptr);
        utf8.clear();
        appendUtf8(wide_, utf8);
        if (utf8.size() > ByteUtf8::kLongest) {
            return;
        }
        ByteUtf8& entry = (*table)[byte];
        std::copy(utf8.begin(), utf8.end(), entry.bytes);
        entry.length = static_cast<std::uint8_t>(utf8.size());
    }
    reading.table = std::move(table);
}

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
                addByteTable(reading);
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

const StoredCcsidText::ByteTable* StoredCcsidText::byteTable(std::uint16_t ccsid, Outcome& outcome) {
    const Reading& reading = readingOf(ccsid);
    if (!reading.converts) {
        outcome = Outcome::chosenPage;
        return hostPage_.table.get();
    }
    outcome = Outcome::byCcsid;
    const CcsidForm form = reading.entry->form;
    const bool byTable =
        form != CcsidForm::utf16 && form != CcsidForm::utf8 && form != CcsidForm::doubleByteOfMixed;
    return byTable ? reading.table.get() : nullptr;
}

void StoredCcsidText::decodeWith(const Reading& reading, std::span<const std::uint8_t> bytes,
                                 std::string& utf8) {
    utf8.clear();
    if (reading.table != nullptr) {
        // Each entry is copied whole, its length only moving the end on: a fixed-size copy
        // instead of an append of a length known only at run time, for every byte of every
        // text field of every record.
        utf8.resize(bytes.size() * ByteUtf8::kLongest);
        char* out = utf8.data();
        for (std::uint8_t byte : bytes) {
            const ByteUtf8& entry = (*reading.table)[byte];
            std::memcpy(out, entry.bytes, ByteUtf8::kLongest);
            out += entry.length;
        }
        utf8.resize(static_cast<std::size_t>(out - utf8.data()));
        return;
    }
    if (reading.decoder == nullptr) {
        appendHex(bytes, utf8);
        return;
    }
    reading.decoder->decode(bytes, wide_, nullptr);
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
        decodeWith(hostPage_, bytes, utf8);
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
            decodeWith(reading, {reinterpret_cast<const std::uint8_t*>(wrapped_.data()), wrapped_.size()},
                       utf8);
            break;
        default:
            decodeWith(reading, bytes, utf8);
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
