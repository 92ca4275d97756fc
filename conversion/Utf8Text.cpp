#include "conversion/Utf8Text.h"

namespace quelvane {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char16_t kFirstHighSurrogate = 0xD800;
constexpr char16_t kFirstLowSurrogate = 0xDC00;
constexpr char16_t kLastLowSurrogate = 0xDFFF;
constexpr char32_t kFirstSupplementary = 0x10000;

bool isHighSurrogate(char16_t unit) {
    return unit >= kFirstHighSurrogate && unit < kFirstLowSurrogate;
}

bool isLowSurrogate(char16_t unit) {
    return unit >= kFirstLowSurrogate && unit <= kLastLowSurrogate;
}

void appendCodePoint(char32_t c, std::string& out) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < kFirstSupplementary) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// The bytes a lead byte starts (0 for a byte that cannot lead) and the range its first
// continuation byte must fall in; later continuation bytes are 0x80 to 0xBF (Unicode table 3-7).
struct LeadByte {
    int length;
    std::uint8_t firstLow;
    std::uint8_t firstHigh;
};

LeadByte leadByte(std::uint8_t byte) {
    if (byte < 0xC2) {
        return {0, 0, 0};
    }
    if (byte < 0xE0) {
        return {2, 0x80, 0xBF};
    }
    if (byte < 0xF0) {
        return {3, static_cast<std::uint8_t>(byte == 0xE0 ? 0xA0 : 0x80),
                static_cast<std::uint8_t>(byte == 0xED ? 0x9F : 0xBF)};
    }
    if (byte < 0xF5) {
        return {4, static_cast<std::uint8_t>(byte == 0xF0 ? 0x90 : 0x80),
                static_cast<std::uint8_t>(byte == 0xF4 ? 0x8F : 0xBF)};
    }
    return {0, 0, 0};
}

void appendUnits(char32_t c, std::int32_t offset, std::u16string& out, std::vector<std::int32_t>* offsets) {
    if (c < kFirstSupplementary) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        const char32_t above = c - kFirstSupplementary;
        out.push_back(static_cast<char16_t>(kFirstHighSurrogate + (above >> 10)));
        out.push_back(static_cast<char16_t>(kFirstLowSurrogate + (above & 0x3FF)));
    }
    if (offsets != nullptr) {
        offsets->resize(out.size(), offset);
    }
}

}  // namespace

void appendUtf8(std::u16string_view text, std::string& out) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (isHighSurrogate(unit) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            const char32_t c = kFirstSupplementary +
                               ((static_cast<char32_t>(unit) - kFirstHighSurrogate) << 10) +
                               (static_cast<char32_t>(text[i + 1]) - kFirstLowSurrogate);
            appendCodePoint(c, out);
            ++i;
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            appendCodePoint(kReplacement, out);
        } else {
            appendCodePoint(unit, out);
        }
    }
}

std::string utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    appendUtf8(text, out);
    return out;
}

void decodeUtf8(std::string_view bytes, std::u16string& out, std::vector<std::int32_t>* offsets) {
    out.clear();
    if (offsets != nullptr) {
        offsets->clear();
    }
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto start = static_cast<std::int32_t>(i);
        const auto byte = static_cast<std::uint8_t>(bytes[i++]);
        if (byte < 0x80) {
            appendUnits(byte, start, out, offsets);
            continue;
        }
        const LeadByte lead = leadByte(byte);
        if (lead.length == 0) {
            appendUnits(kReplacement, start, out, offsets);
            continue;
        }
        char32_t c = byte & (0x7F >> lead.length);
        int taken = 1;
        while (taken < lead.length && i < bytes.size()) {
            const auto next = static_cast<std::uint8_t>(bytes[i]);
            const std::uint8_t low = taken == 1 ? lead.firstLow : 0x80;
            const std::uint8_t high = taken == 1 ? lead.firstHigh : 0xBF;
            if (next < low || next > high) {
                break;
            }
            c = (c << 6) | (next & 0x3F);
            ++taken;
            ++i;
        }
        appendUnits(taken == lead.length ? c : kReplacement, start, out, offsets);
    }
}

std::u16string utf8ToUtf16(std::string_view bytes) {
    std::u16string out;
    decodeUtf8(bytes, out, nullptr);
    return out;
}

}  // namespace quelvane
