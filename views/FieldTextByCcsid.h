#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "conversion/ConversionBackend.h"
#include "conversion/EbcdicTextConverter.h"
#include "conversion/StoredCcsidText.h"
#include "savefile/Catalog.h"
#include "views/FieldDecoder.h"

namespace quelvane {

// A record field decoded by the CCSID its field entry stores, straight to UTF-8: character
// fields (A, H, and the DBCS-capable O, J, E) by their own CCSID, mixed ones with their shift
// states; graphic fields by their double-byte CCSID; 1200 and 13488 as UTF-16BE. A text field
// tagged 65535, 0 or a CCSID without a converter reads in the chosen host page, and a 65535
// field whose bytes are not text shows as upper-case hex. Numeric, date and time fields read as
// the pair reads them: their texts are ASCII digits and punctuation, the same in UTF-8.
// Not safe for use by two threads at once.
class FieldTextByCcsid {
  public:
    enum class Fallback {
        none,
        // The field's CCSID gave no converter: read in the chosen host page.
        chosenPage,
        // A 65535 field holding bytes that are not text.
        hex,
    };

    // `hostPage` is the chosen host page's Windows number (kHostPages), for the fallback;
    // `pairConverter` reads the fields whose texts no CCSID decides.
    FieldTextByCcsid(std::int32_t hostPage, EbcdicTextConverter& pairConverter,
                     ConversionBackend& backend = ConversionBackend::standard());

    // Character and graphic fields: the fields whose text the stored CCSID decides.
    static bool decidesText(const SavedField& field);

    // Replaces `utf8` with the field's value (bytes past `field.length` ignored) as the records
    // view shows it: a text field up to its first NUL character, a single blank when that is
    // empty. Raises FieldDecodingFailure as decodeFieldValue does.
    Fallback decode(std::span<const std::uint8_t> value, const SavedField& field, std::string& utf8);

    // The value in the form made for loading (decodeLoadedFieldValue): a text field up to its
    // first NUL character without trailing blanks, possibly empty; other fields as the pair
    // reads them. `kind` receives the value's LoadedKind.
    Fallback decodeLoaded(std::span<const std::uint8_t> value, const SavedField& field, std::string& utf8,
                          LoadedKind& kind);

    // The byte table the field's text reads through (StoredCcsidText::byteTable), null for a
    // field whose text reads otherwise; `fallback` receives what decodeLoaded reports for it,
    // `controlsGoHex` whether a text holding controls (bytes 01-3F) reads as hex instead.
    const StoredCcsidText::ByteTable* byteTable(const SavedField& field, Fallback& fallback,
                                                bool& controlsGoHex);
    // Notes a fallback used for the field, as decodeLoaded does (once per field and fallback).
    void noteFallback(const SavedField& field, Fallback fallback) {
        if (fallback != Fallback::none) {
            remember(field, fallback);
        }
    }

    // Each field a fallback has been used for since construction, once per field and fallback,
    // in the order first met: "FIELD9: CCSID 65535, shown as hex". The fields must outlive
    // the decoder (they are told apart by address).
    std::vector<std::string> fallbackNotes() const;

    // What the view says of a fallback ("CCSID 65535, shown as hex", "CCSID 0, read in the
    // chosen EBCDIC page"); empty for none.
    static std::string fallbackNote(Fallback fallback, std::uint16_t ccsid);

  private:
    struct UsedFallback {
        const SavedField* field;
        Fallback fallback;
        std::string note;
    };

    Fallback decodeText(std::span<const std::uint8_t> value, const SavedField& field, std::string& utf8);
    void remember(const SavedField& field, Fallback fallback);

    EbcdicTextConverter& pairConverter_;
    StoredCcsidText texts_;
    std::vector<UsedFallback> fallbacks_;
};

}  // namespace quelvane
