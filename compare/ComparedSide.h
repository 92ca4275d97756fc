#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "conversion/EbcdicTextConverter.h"
#include "conversion/PcTextToUtf8.h"
#include "conversion/StoredCcsidText.h"
#include "savefile/BlockSource.h"
#include "savefile/Catalog.h"
#include "savefile/CatalogTexts.h"
#include "views/FieldTextByCcsid.h"

namespace quelvane {

// One of the two saves compared: its catalog, a way to open its stored bytes (read as its readers
// read them: repaired, expanded), and the texts of both as extract reads them: by stored CCSID, with
// `hostPage` for what carries none, names through the PC page. `incomplete` says why its catalog stops short
// of the file (empty when it does not).
struct ComparedSave {
    const Catalog* catalog = nullptr;
    std::function<std::unique_ptr<BlockSource>()> stored;
    EbcdicTextConverter* converter = nullptr;
    std::int32_t hostPage = 37;
    std::int32_t pcPage = 1252;
    std::string incomplete;
};

// The readers one side keeps for the whole comparison.
class ComparedSide {
  public:
    explicit ComparedSide(const ComparedSave& save);

    const Catalog& catalog() const { return *save_.catalog; }
    // A fresh source over the save as its readers read it; raises std::runtime_error when it
    // cannot be opened.
    std::unique_ptr<BlockSource> open() const;
    // The stored bytes, for the views (which repair and expand them themselves).
    std::unique_ptr<BlockSource> openStored() const { return save_.stored ? save_.stored() : nullptr; }
    EbcdicTextConverter& converter() const { return *save_.converter; }
    const std::string& incomplete() const { return save_.incomplete; }

    // A name or details text of the catalog (PC page) in UTF-8.
    std::string plain(const std::string& pcText) { return texts_.plain(pcText); }
    std::string objectText(const SavedObject& object) { return texts_.objectText(object); }
    std::string memberText(const SavedObject& file, const SavedMember& member) {
        return texts_.memberText(file, member);
    }
    PcTextToUtf8& utf8() { return utf8_; }
    FieldTextByCcsid& fields() { return fields_; }
    StoredCcsidText& storedTexts() { return stored_; }

  private:
    ComparedSave save_;
    CatalogTexts texts_;
    PcTextToUtf8 utf8_;
    FieldTextByCcsid fields_;
    StoredCcsidText stored_;
};

}  // namespace quelvane
