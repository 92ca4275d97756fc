#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "conversion/StoredCcsidText.h"
#include "extract/LoadedValue.h"
#include "extract/OutputFile.h"
#include "savefile/Catalog.h"
#include "views/FieldTextByCcsid.h"
#include "views/LoadedFieldPlan.h"
#include "views/PairByteTable.h"

namespace quelvane {

// A record of a data member as its CSV row, composed straight in the output file's buffer: the
// row MemberWriter writes through CsvWriter from the texts of RecordTexts, byte for byte, without
// the texts between. Character fields read through a byte table made once per member from the
// pair's PairByteTable (or, by stored CCSID, the single-byte table of the field's CCSID or of the
// page it falls back to), whose entries also say which bytes end a text, pad it, or make the
// field quoted; the other fields through LoadedFieldPlan::decodeInto. A record holding anything
// these do not take (a shift-out, a packed digit above 9, a 65535 text of controls, a field past
// the record, a date out of range) is declined whole and left to the general path.
class CsvRecordEncoder {
  public:
    // The first `count` fields of `file`. `pairTable` (may be null) must outlive the encoder, as
    // must `byCcsid` (null: by the pair). `emptyQuoted` tells the fields whose empty text is
    // written "" (CsvWriter::emptyText).
    CsvRecordEncoder(const SavedObject& file, std::size_t count, const PairByteTable* pairTable,
                     FieldTextByCcsid* byCcsid, const std::vector<bool>& emptyQuoted);

    // Whether every field has a step here; an encoder without one declines every record.
    bool usable() const { return usable_; }

    // Writes the record's row, its CRLF included, to `out`; false, with nothing written, when
    // the record is left to the general path. Notes the stored CCSID fallbacks it reads by
    // with `byCcsid`, as the general path does.
    bool encode(std::span<const std::uint8_t> record, OutputFile& out);

    // The values of the record encode() last wrote, their texts in the row in `out` (valid until
    // `out` is written to again); false where a text was quoted, its value not there as it is.
    bool values(std::span<const LoadedValue>& values) const {
        values = values_;
        return !quoted_;
    }

  private:
    // What a host byte is in a text: its UTF-8 and how it bears on the text around it.
    struct TextByte {
        static constexpr std::size_t kLongest = 8;
        char bytes[kLongest];
        std::uint8_t length;
        std::uint8_t flags;
    };
    struct TextTable {
        std::array<TextByte, 256> bytes{};
        // Each byte's flags, and the first byte of its UTF-8 (the whole of it without kWide).
        std::array<std::uint8_t, 256> flags{};
        std::array<char, 256> single{};
        // The one byte that ends a text, is blank, declines; -1 where none or several are.
        int ends = -1;
        int blank = -1;
        int declining = -1;
        // Whether any byte has kDeclines: the bytes past a text's end are looked at too.
        bool declines = false;
    };
    enum class Kind { general, text, plan };
    struct Field {
        Kind kind = Kind::general;
        std::size_t offset = 0;
        std::size_t length = 0;
        const TextTable* table = nullptr;
        bool emptyQuoted = false;
        const SavedField* saved = nullptr;
        LoadedKind loaded = LoadedKind::Text;
        FieldTextByCcsid::Fallback fallback = FieldTextByCcsid::Fallback::none;
        bool noted = false;
    };

    static std::unique_ptr<TextTable> tableOfPair(const PairByteTable& pair);
    static std::unique_ptr<TextTable> tableOfCcsid(const StoredCcsidText::ByteTable& bytes,
                                                   bool controlsDecline);
    static void addFlags(TextByte& entry);
    static void finish(TextTable& table);
    struct Scan {
        std::size_t end;
        bool declines;
    };
    static Scan scanOf(const std::uint8_t* bytes, std::size_t length, int ends, int declining);
    static std::size_t keptOf(const TextTable& table, const std::uint8_t* bytes, std::size_t end);
    static bool declinesPast(const TextTable& table, const std::uint8_t* bytes, std::size_t length);
    static std::size_t endOf(const TextTable& table, const std::uint8_t* bytes, std::size_t length);
    static char* quoted(const TextTable& table, std::span<const std::uint8_t> bytes, char* out);
    const TextTable* storedTable(const SavedField& field, Field& step);
    std::size_t longestField(std::size_t field) const;
    // The row at `at`, its end, or null where the record is declined.
    char* row(std::span<const std::uint8_t> record, char* at);
    char* text(const Field& field, std::span<const std::uint8_t> record, char* out) const;

    LoadedFieldPlan plan_;
    FieldTextByCcsid* byCcsid_;
    std::vector<Field> fields_;
    std::vector<std::unique_ptr<TextTable>> tables_;
    std::vector<std::pair<const void*, bool>> tableSources_;
    std::vector<LoadedValue> values_;
    bool quoted_ = false;
    std::size_t longestRow_ = 0;
    bool usable_ = true;
};

}  // namespace quelvane
