#include "tools/codepages/EncodeTableBuilder.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include "conversion/tables/PcEncodeMap.h"

namespace quelvane::tables {

namespace {

constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kLastSurrogate = 0xDFFF;
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr char32_t kLastCodePoint = 0x10FFFF;

void appendCodePoint(char32_t c, std::u16string& text) {
    if (c < kFirstSupplementary) {
        text.push_back(static_cast<char16_t>(c));
        return;
    }
    const char32_t above = c - kFirstSupplementary;
    text.push_back(static_cast<char16_t>(0xD800 + (above >> 10)));
    text.push_back(static_cast<char16_t>(0xDC00 + (above & 0x3FF)));
}

void store(const std::string& bytes, std::uint8_t (&target)[kMaxSubstituteBytes], std::uint8_t& length) {
    if (bytes.size() > kMaxSubstituteBytes) {
        throw std::runtime_error("a character written as more than two bytes");
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        target[i] = static_cast<std::uint8_t>(bytes[i]);
    }
    length = static_cast<std::uint8_t>(bytes.size());
}

std::string mostCommon(const std::map<std::string, std::size_t>& counts) {
    std::string common;
    std::size_t most = 0;
    for (const auto& [bytes, count] : counts) {
        if (count > most) {
            most = count;
            common = bytes;
        }
    }
    return common;
}

}  // namespace

// Each code point stands alone in the text, so the offsets say which bytes are whose.
void EncodeTableBuilder::writeEach(const std::u16string& text, PcPageCodec::Substitution substitution,
                                   Bytes Written::*field) {
    std::string bytes;
    std::vector<std::int32_t> offsets;
    source_.encode(text, substitution, bytes, &offsets);
    std::vector<std::int32_t> indexOfUnit(text.size(), -1);
    std::size_t unit = 0;
    for (std::size_t i = 0; i < codePoints_.size(); ++i) {
        indexOfUnit[unit] = static_cast<std::int32_t>(i);
        unit += codePoints_[i] < kFirstSupplementary ? 1 : 2;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::int32_t index = indexOfUnit.at(static_cast<std::size_t>(offsets[i]));
        if (index < 0) {
            throw std::runtime_error("bytes written for the second half of a surrogate pair");
        }
        Bytes& target = written_.at(static_cast<std::size_t>(index)).*field;
        if (target.length == kMaxSubstituteBytes) {
            throw std::runtime_error("a character written as more than two bytes");
        }
        target.data[target.length++] = static_cast<std::uint8_t>(bytes[i]);
    }
}

void EncodeTableBuilder::writeAll() {
    codePoints_.clear();
    std::u16string text;
    for (char32_t c = 0; c <= kLastCodePoint; ++c) {
        if (c >= kFirstSurrogate && c <= kLastSurrogate) {
            continue;
        }
        codePoints_.push_back(c);
        appendCodePoint(c, text);
    }
    written_.assign(codePoints_.size(), Written{});
    writeEach(text, PcPageCodec::Substitution::pageCharacter, &Written::page);
    writeEach(text, PcPageCodec::Substitution::pageCharacterDroppingIgnorable, &Written::dropping);
    writeEach(text, PcPageCodec::Substitution::questionMarkDroppingIgnorable, &Written::question);
}

// The substitutes are what most code points of the BMP, and of the planes above it, become:
// the characters a page lacks far outnumber any other.
void EncodeTableBuilder::setSubstitutes(PageTable& page) {
    std::map<std::string, std::size_t> bmpCounts;
    std::map<std::string, std::size_t> supplementaryCounts;
    for (std::size_t i = 0; i < codePoints_.size(); ++i) {
        auto& counts = codePoints_[i] < kFirstSupplementary ? bmpCounts : supplementaryCounts;
        ++counts[written_[i].page.text()];
    }
    store(mostCommon(bmpCounts), page.substitute, page.substituteLength);
    store(mostCommon(supplementaryCounts), page.supplementarySubstitute, page.supplementarySubstituteLength);
    std::string lone;
    for (char16_t surrogate : {u'\xD800', u'\xDBFF', u'\xDC00', u'\xDFFF'}) {
        std::string page1;
        std::string dropping;
        std::string question;
        const std::u16string text(1, surrogate);
        source_.encode(text, PcPageCodec::Substitution::pageCharacter, page1, nullptr);
        source_.encode(text, PcPageCodec::Substitution::pageCharacterDroppingIgnorable, dropping, nullptr);
        source_.encode(text, PcPageCodec::Substitution::questionMarkDroppingIgnorable, question, nullptr);
        if ((surrogate != u'\xD800' && page1 != lone) || dropping != page1 || question != "?") {
            throw std::runtime_error("an unpaired surrogate is written in more than one way");
        }
        lone = page1;
    }
    store(lone, page.surrogateSubstitute, page.surrogateSubstituteLength);
}

void EncodeTableBuilder::build(PageTable& page, std::set<char32_t>& ignorable) {
    writeAll();
    setSubstitutes(page);
    pools_.pages.push_back(page);
    const CodePageTableSet view = pools_.view();
    const PcEncodeMap backwards(view, view.pages.back());
    pools_.pages.pop_back();
    page.firstException = static_cast<std::uint32_t>(pools_.exceptions.size());
    keptUnmapped_.assign(kLastCodePoint + 1, false);
    for (std::size_t i = 0; i < codePoints_.size(); ++i) {
        const Written& written = written_[i];
        checkRules(written);
        const bool dropped = written.dropping.empty() && !written.page.empty();
        if (dropped) {
            ignorable.insert(codePoints_[i]);
        }
        const PcEncodeMap::Written fromTables = backwards.lookup(codePoints_[i]);
        if (fromTables.unmapped && !dropped) {
            keptUnmapped_[codePoints_[i]] = true;
        }
        if (writtenUnder(fromTables, dropped) == written) {
            continue;
        }
        EncodeException exception{static_cast<std::uint32_t>(codePoints_[i]), {0, 0}, 0, !written.mapped()};
        store(written.page.text(), exception.bytes, exception.length);
        pools_.exceptions.push_back(exception);
        if (exception.unmapped && !dropped) {
            keptUnmapped_[codePoints_[i]] = true;
        }
    }
    page.exceptionCount = static_cast<std::uint32_t>(pools_.exceptions.size()) - page.firstException;
    written_ = {};
    codePoints_ = {};
}

// What the table backend writes for an entry under each substitution, given whether the
// character is dropped as default-ignorable.
EncodeTableBuilder::Written EncodeTableBuilder::writtenUnder(const PcEncodeMap::Written& entry,
                                                             bool dropped) {
    Bytes bytes;
    bytes.length = entry.length;
    std::copy(entry.bytes, entry.bytes + entry.length, bytes.data);
    if (!entry.unmapped) {
        return {bytes, bytes, bytes};
    }
    const Bytes question{{'?', 0}, 1};
    return {bytes, dropped ? Bytes{} : bytes, dropped ? Bytes{} : question};
}

// A character the page holds is written alike under every rule; one it lacks becomes the
// substitute, or a question mark, or is left out under both dropping rules alike.
void EncodeTableBuilder::checkRules(const Written& written) {
    const bool holds = written.mapped() ? written.dropping == written.page
                                        : (written.dropping.empty() ? written.question.empty()
                                                                    : written.dropping == written.page &&
                                                                          written.question.text() == "?");
    if (!holds) {
        throw std::runtime_error("a character written otherwise than the substitution rules say");
    }
}

void EncodeTableBuilder::checkIgnorable(const std::set<char32_t>& ignorable) const {
    for (char32_t c : ignorable) {
        if (keptUnmapped_[c]) {
            throw std::runtime_error("the default-ignorable characters differ from page to page");
        }
    }
}

}  // namespace quelvane::tables
