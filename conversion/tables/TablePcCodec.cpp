#include "conversion/tables/TablePcCodec.h"

#include <algorithm>

namespace quelvane::tables {

namespace {

constexpr char16_t kFirstHighSurrogate = 0xD800;
constexpr char16_t kFirstLowSurrogate = 0xDC00;
constexpr char16_t kLastLowSurrogate = 0xDFFF;
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr std::uint8_t kQuestionMark = '?';

bool isHighSurrogate(char16_t unit) {
    return unit >= kFirstHighSurrogate && unit < kFirstLowSurrogate;
}

bool isLowSurrogate(char16_t unit) {
    return unit >= kFirstLowSurrogate && unit <= kLastLowSurrogate;
}

}  // namespace

TablePcCodec::TablePcCodec(const CodePageTableSet& tables, const PageTable& page,
                           std::shared_ptr<const PcEncodeMap> encodeMap)
    : tables_(tables), page_(page), decoder_(tables, page), encodeMap_(std::move(encodeMap)) {}

void TablePcCodec::decode(std::span<const std::uint8_t> bytes, std::u16string& out,
                          std::vector<std::int32_t>* offsets) {
    decoder_.decode(bytes, out, offsets);
}

bool TablePcCodec::ignorable(char32_t codePoint) const {
    const auto found =
        std::lower_bound(tables_.ignorable.begin(), tables_.ignorable.end(), codePoint,
                         [](const CodePointRange& range, char32_t c) { return range.last < c; });
    return found != tables_.ignorable.end() && found->first <= codePoint;
}

void TablePcCodec::append(const std::uint8_t* bytes, std::size_t length, std::int32_t offset,
                          std::string& out, std::vector<std::int32_t>* offsets) const {
    out.append(reinterpret_cast<const char*>(bytes), length);
    if (offsets != nullptr) {
        offsets->resize(out.size(), offset);
    }
}

void TablePcCodec::encode(std::u16string_view text, Substitution substitution, std::string& out,
                          std::vector<std::int32_t>* offsets) {
    out.clear();
    if (offsets != nullptr) {
        offsets->clear();
    }
    std::size_t i = 0;
    while (i < text.size()) {
        const auto offset = static_cast<std::int32_t>(i);
        const char16_t unit = text[i++];
        char32_t codePoint = unit;
        if (isHighSurrogate(unit) && i < text.size() && isLowSurrogate(text[i])) {
            codePoint = kFirstSupplementary + ((static_cast<char32_t>(unit) - kFirstHighSurrogate) << 10) +
                        (static_cast<char32_t>(text[i++]) - kFirstLowSurrogate);
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            if (substitution == Substitution::questionMarkDroppingIgnorable) {
                append(&kQuestionMark, 1, offset, out, offsets);
            } else {
                append(page_.surrogateSubstitute, page_.surrogateSubstituteLength, offset, out, offsets);
            }
            continue;
        }
        const PcEncodeMap::Written written = encodeMap_->lookup(codePoint);
        if (!written.unmapped || substitution == Substitution::pageCharacter) {
            append(written.bytes, written.length, offset, out, offsets);
        } else if (!ignorable(codePoint)) {
            if (substitution == Substitution::questionMarkDroppingIgnorable) {
                append(&kQuestionMark, 1, offset, out, offsets);
            } else {
                append(written.bytes, written.length, offset, out, offsets);
            }
        }
    }
}

}  // namespace quelvane::tables
