#include "export/PairCharacterLineText.h"

#include <cstring>

#include "savefile/TypeCodes.h"

namespace quelvane {

namespace {

constexpr std::uint8_t kShiftOut = 0x0E;
constexpr std::size_t kRun = 8;

}  // namespace

PairCharacterLineText::PairCharacterLineText(const PairByteTable& table) {
    for (std::size_t host = 0; host < pc_.size(); ++host) {
        pc_[host] = table.pcByte(static_cast<std::uint8_t>(host));
    }
}

bool PairCharacterLineText::append(std::span<const std::uint8_t> record, const SavedField& field,
                                   std::string& line) const {
    if ((field.typeCode != kCharacterFieldType && field.typeCode != kOpenCharacterFieldType) ||
        field.offset < 0 || field.length < 0 ||
        static_cast<std::size_t>(field.length) > PairByteTable::kLongestText ||
        static_cast<std::size_t>(field.offset) + static_cast<std::size_t>(field.length) > record.size()) {
        return false;
    }
    const std::span<const std::uint8_t> bytes =
        record.subspan(static_cast<std::size_t>(field.offset), static_cast<std::size_t>(field.length));
    // A shift-out anywhere, even behind the first zero byte, leaves the field to the decoder,
    // as the table's own reading does.
    if (std::memchr(bytes.data(), kShiftOut, bytes.size()) != nullptr) {
        return false;
    }
    const std::size_t start = line.size();
    // Every byte a line feed, and the blank of an empty text.
    line.resize(start + 2 * bytes.size() + 1);
    char* out = line.data() + start;
    std::size_t at = 0;
    // Eight bytes at a time while none of them is a zero or a line feed in the PC page: they are
    // copied through the table, then looked at together.
    for (; at + kRun <= bytes.size(); at += kRun) {
        bool plain = true;
        for (std::size_t i = 0; i < kRun; ++i) {
            const std::uint8_t pc = pc_[bytes[at + i]];
            out[i] = static_cast<char>(pc);
            plain &= pc > '\n';
        }
        if (!plain) {
            break;
        }
        out += kRun;
    }
    for (; at < bytes.size(); ++at) {
        const std::uint8_t pc = pc_[bytes[at]];
        // One test for both bytes that are not copied as they are.
        if (pc <= '\n') {
            if (pc == 0) {
                break;
            }
            if (pc == '\n') {
                *out++ = '\r';
            }
        }
        *out++ = static_cast<char>(pc);
    }
    if (out == line.data() + start) {
        *out++ = ' ';
    }
    line.resize(static_cast<std::size_t>(out - line.data()));
    return true;
}

}  // namespace quelvane
