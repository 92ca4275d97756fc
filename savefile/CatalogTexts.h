#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "conversion/ConversionBackend.h"
#include "conversion/PcTextToUtf8.h"
#include "conversion/StoredCcsidText.h"
#include "savefile/Catalog.h"

namespace quelvane {

// The texts of the catalog's nodes as one presentation shows them: by the pair, the texts the
// catalog holds, in the PC code page; by stored CCSID, UTF-8, each text read from its stored
// bytes in the CCSID that applies to it, and names and details (which carry no CCSID) through
// the PC page to UTF-8.
//
// Which CCSID applies: a file's text its area's text CCSID, a member's text the member entry's;
// a member tagged 0 or 65535 (no CCSID, or one nobody can convert by) the text CCSID of its file.
// An object description stores no CCSID, and nor does the library: their texts take the save's
// text CCSID, the one most texts of the save are tagged with (file, member and format texts);
// with none, the chosen host page. Not safe for use by two threads at once.
class CatalogTexts {
  public:
    // By the pair.
    CatalogTexts();
    // By stored CCSID: `hostPage` (a Windows number of kHostPages) reads texts no CCSID applies
    // to, `pcCodePage` is the page of the catalog's converted names and texts.
    CatalogTexts(const Catalog& catalog, std::int32_t hostPage, std::int32_t pcCodePage,
                 ConversionBackend& backend = ConversionBackend::standard());
    ~CatalogTexts();

    CatalogTexts(const CatalogTexts&) = delete;
    CatalogTexts& operator=(const CatalogTexts&) = delete;

    // Whether every text given is UTF-8 (by stored CCSID) rather than PC-page text.
    bool utf8() const { return stored_ != nullptr; }

    std::string objectText(const SavedObject& object);
    std::string memberText(const SavedObject& file, const SavedMember& member);
    // A text of the catalog that carries no CCSID (a name, a caption, a details line), as given
    // by the pair or in UTF-8.
    std::string plain(const std::string& pcText);

    // The CCSIDs that apply (0: none, read in the chosen host page).
    std::uint16_t saveTextCcsid() const { return saveCcsid_; }
    std::uint16_t objectTextCcsid(const SavedObject& object) const;
    std::uint16_t memberTextCcsid(const SavedObject& file, const SavedMember& member) const;

    // The most frequent tagged text CCSID of the catalog's files, members and formats, the
    // first met among equals; 0 when none is tagged.
    static std::uint16_t mostTaggedTextCcsid(const Catalog& catalog);

  private:
    // `bytes` in `ccsid`, cut at a zero byte and without surrounding blanks, as the pair's
    // texts are.
    std::string decoded(const StoredText& text, std::uint16_t ccsid);

    std::unique_ptr<StoredCcsidText> stored_;
    std::unique_ptr<PcTextToUtf8> utf8_;
    std::uint16_t saveCcsid_ = 0;
    std::string work_;
};

}  // namespace quelvane
