#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "savefile/Catalog.h"
#include "views/FieldDecoder.h"
#include "views/PairByteTable.h"

namespace quelvane {

// A record format's fields decoded in the form made for loading (decodeLoadedFieldValue) by
// steps chosen once per format instead of once per value: character and time fields through the
// pair's byte table straight to UTF-8, packed and zoned fields of plain digits straight to their
// plain decimal text, binary, date and timestamp fields by the general decoders without the
// type dispatch. A value a step does not take (a packed digit above 9, a zoned byte that is no
// digit, a shift-out in a text, a field past the record) is left to the general decoder, so the
// texts are those of decodeLoadedFieldValue followed by the PC-to-UTF-8 conversion, byte for
// byte.
class LoadedFieldPlan {
  public:
    // The plan for the first `count` fields of `file`; `table` (may be null: no character or
    // time step) must outlive the plan.
    LoadedFieldPlan(const SavedObject& file, std::size_t count, const PairByteTable* table);

    // Decodes field `field` of `record` into `utf8` and `kind`; false, with both unspecified,
    // when the general decoder has to.
    bool decode(std::size_t field, std::span<const std::uint8_t> record, std::string& utf8, LoadedKind& kind);

    // Whether the texts of the field's step never hold anything but digits, '-', '.', ':' and
    // blanks (the numeric, date, time and timestamp steps), so that a writer need not look
    // for characters to quote in them.
    bool plainText(std::size_t field) const { return steps_[field].plain; }

    // Whether the field's step reads a character field through the pair's byte table.
    bool characterStep(std::size_t field) const { return steps_[field].step == Step::character; }
    // The field's step for the numeric, date, time and timestamp fields: decode() written
    // straight to `out`, which has room for longestText(field) bytes. The end of the text, or
    // null where decode() declines and for the character and general fields, which are not
    // written here.
    char* decodeInto(std::size_t field, std::span<const std::uint8_t> record, char* out);
    // The kind decode() gives the field's values where its step takes them.
    LoadedKind kindOf(std::size_t field) const {
        return steps_[field].step == Step::packed || steps_[field].step == Step::zoned ||
                       steps_[field].step == Step::binary
                   ? steps_[field].kind
                   : LoadedKind::Text;
    }
    // The most bytes decodeInto writes for the field; 0 for the fields it does not write.
    std::size_t longestText(std::size_t field) const { return steps_[field].longest; }

  private:
    enum class Step { general, character, time, packed, zoned, binary, date, timestamp };

    struct FieldStep {
        Step step = Step::general;
        std::size_t offset = 0;
        std::size_t length = 0;
        int digits = 0;
        int decimals = 0;
        LoadedKind kind = LoadedKind::Text;
        bool plain = false;
        std::size_t longest = 0;
    };

    static FieldStep stepFor(const SavedField& field, bool haveTable);
    static std::size_t longestOf(const FieldStep& step);
    void character(std::span<const std::uint8_t> bytes, std::string& utf8);

    std::vector<FieldStep> steps_;
    const PairByteTable* table_;
    // Room for the UTF-8 of the longest character field and one entry more.
    std::vector<char> scratch_;
    // The text of the steps that decode through the general decoders' strings.
    std::string text_;
};

// The plain decimal text of packed digits (toPlainDecimal of decodePacked's text) where every
// digit nibble is 0-9, `digits` is 1 to 63 and `decimals` 0 to `digits`; false otherwise.
bool packedPlainDecimal(std::span<const std::uint8_t> bytes, int digits, int decimals, std::string& text);
// The same written to `out`, which has room for digits + 3 bytes: the text's end, or null.
char* packedPlainDecimal(std::span<const std::uint8_t> bytes, int digits, int decimals, char* out);

// The same for zoned digits over `bytes` (toPlainDecimal of decodeZoned's text): every byte
// F0-F9, the last one F0-F9 or D0-D9 (negative), 1 to 63 bytes, `decimals` 0 to their count.
bool zonedPlainDecimal(std::span<const std::uint8_t> bytes, int decimals, std::string& text);
// The same written to `out`, which has room for the byte count + 3 bytes: the text's end, or null.
char* zonedPlainDecimal(std::span<const std::uint8_t> bytes, int decimals, char* out);

}  // namespace quelvane
