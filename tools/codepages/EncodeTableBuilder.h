#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "conversion/PcPageCodec.h"
#include "conversion/tables/PcEncodeMap.h"
#include "tools/codepages/TablePools.h"

namespace quelvane::tables {

// Works out how a PC page writes every code point, under each substitution, through a codec of
// the ICU backend, and keeps what reading the page backwards (PcEncodeMap) does not give.
class EncodeTableBuilder {
  public:
    EncodeTableBuilder(PcPageCodec& source, TablePools& pools) : source_(source), pools_(pools) {}

    // Sets the substitutes and the exceptions of `page`, whose rows are built, and adds the
    // page's default-ignorable code points to `ignorable`. Throws std::runtime_error where
    // the page writes in a way the tables cannot hold.
    void build(PageTable& page, std::set<char32_t>& ignorable);

    // Throws unless every code point the page lacks is left out by the dropping substitutions
    // exactly when `ignorable` (gathered over every page) holds it.
    void checkIgnorable(const std::set<char32_t>& ignorable) const;

  private:
    // At most two bytes, which is all a PC page writes for one character.
    struct Bytes {
        std::uint8_t data[kMaxSubstituteBytes] = {0, 0};
        std::uint8_t length = 0;
        bool operator==(const Bytes&) const = default;
        bool empty() const { return length == 0; }
        std::string text() const { return std::string(reinterpret_cast<const char*>(data), length); }
    };

    struct Written {
        Bytes page;      // Substitution::pageCharacter
        Bytes dropping;  // Substitution::pageCharacterDroppingIgnorable
        Bytes question;  // Substitution::questionMarkDroppingIgnorable
        bool mapped() const { return page == question && !question.empty(); }
        bool operator==(const Written&) const = default;
    };

    void writeAll();
    void writeEach(const std::u16string& text, PcPageCodec::Substitution substitution, Bytes Written::*field);
    void setSubstitutes(PageTable& page);
    static void checkRules(const Written& written);
    static Written writtenUnder(const PcEncodeMap::Written& entry, bool dropped);

    PcPageCodec& source_;
    TablePools& pools_;
    std::vector<char32_t> codePoints_;
    std::vector<Written> written_;
    // By code point: the page lacks it and the dropping substitutions keep it.
    std::vector<bool> keptUnmapped_;
};

}  // namespace quelvane::tables
