#include "views/ObjectListText.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace quelvane {

namespace {

constexpr const char* kCaptions[] = {"Object", "Type", "Attribute", "Owner", "Size", "Created", "Text"};
constexpr const char* kGap = "  ";
constexpr char kRule = '-';

// Code points East Asian scripts draw two cells wide: Hangul Jamo, the CJK blocks from radicals
// to Yi, Hangul syllables, compatibility ideographs and forms, the full-width forms.
struct Range {
    std::uint32_t first;
    std::uint32_t last;
};
constexpr std::array<Range, 8> kWideRanges = {{{0x1100, 0x115F},
                                               {0x2E80, 0xA4CF},
                                               {0xAC00, 0xD7A3},
                                               {0xF900, 0xFAFF},
                                               {0xFE30, 0xFE4F},
                                               {0xFF00, 0xFF60},
                                               {0xFFE0, 0xFFE6},
                                               {0x20000, 0x3FFFD}}};

bool isWide(std::uint32_t codePoint) {
    for (const Range& range : kWideRanges) {
        if (codePoint >= range.first && codePoint <= range.last) {
            return true;
        }
    }
    return false;
}

// The length of the UTF-8 sequence a lead byte starts; 1 for a byte that starts none.
std::size_t sequenceLength(std::uint8_t lead) {
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    if (lead >= 0xE0) {
        return lead <= 0xEF ? 3 : 1;
    }
    return lead >= 0xC2 && lead <= 0xDF ? 2 : 1;
}

std::string padded(const std::string& text, std::size_t width, bool right) {
    const std::size_t used = ObjectListText::displayWidth(text);
    const std::string fill(width > used ? width - used : 0, ' ');
    return right ? fill + text : text + fill;
}

std::string trimmedRight(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

}  // namespace

const char* ObjectListText::caption(Column column) {
    return kCaptions[column];
}

std::string ObjectListText::cell(const ObjectListRow& row, Column column) {
    switch (column) {
        case kName:
            return row.name;
        case kType:
            return row.type;
        case kAttribute:
            return row.attribute;
        case kOwner:
            return row.owner;
        case kSize:
            return row.size ? std::to_string(*row.size) : std::string();
        case kCreated:
            return row.created ? row.created->text() : std::string();
        case kText:
        case kColumnCount:
            break;
    }
    return row.text;
}

std::size_t ObjectListText::displayWidth(std::string_view utf8) {
    std::size_t width = 0;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<std::uint8_t>(utf8[i]);
        std::size_t length = sequenceLength(lead);
        std::uint32_t codePoint = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = i + k < utf8.size() ? static_cast<std::uint8_t>(utf8[i + k]) : 0;
            if ((next & 0xC0) != 0x80) {
                length = 1;
                codePoint = lead;
                break;
            }
            codePoint = (codePoint << 6) | (next & 0x3Fu);
        }
        width += isWide(codePoint) && length > 1 ? 2 : 1;
        i += length;
    }
    return width;
}

std::vector<std::string> ObjectListText::lines(const std::vector<std::string>& header,
                                               std::span<const ObjectListRow* const> rows) {
    std::array<std::size_t, kColumnCount> widths{};
    for (int c = 0; c < kColumnCount; ++c) {
        widths[c] = displayWidth(kCaptions[c]);
    }
    for (const ObjectListRow* row : rows) {
        for (int c = 0; c < kColumnCount; ++c) {
            widths[c] = std::max(widths[c], displayWidth(cell(*row, static_cast<Column>(c))));
        }
    }
    const auto line = [&widths](const auto& cellOf) {
        std::string text;
        for (int c = 0; c < kColumnCount; ++c) {
            text += (c == 0 ? "" : kGap) + padded(cellOf(c), widths[c], isNumeric(static_cast<Column>(c)));
        }
        return trimmedRight(std::move(text));
    };
    std::vector<std::string> lines = header;
    if (!lines.empty()) {
        lines.emplace_back();
    }
    lines.push_back(line([](int c) { return std::string(kCaptions[c]); }));
    lines.push_back(line([&widths](int c) { return std::string(widths[c], kRule); }));
    for (const ObjectListRow* row : rows) {
        lines.push_back(line([row](int c) { return cell(*row, static_cast<Column>(c)); }));
    }
    return lines;
}

}  // namespace quelvane
