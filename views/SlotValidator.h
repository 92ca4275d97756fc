#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "savefile/Catalog.h"

namespace quelvane {

// Checks that a record's fields decode as the listing decodes them, without keeping their
// texts: only a field reaching past the record and a date out of range fail, and neither needs
// the conversion call.
class SlotValidator {
  public:
    explicit SlotValidator(const SavedObject& file);

    bool decodes(std::span<const std::uint8_t> record);

  private:
    const SavedObject& file_;
    std::vector<const SavedField*> dated_;
    std::string text_;
};

}  // namespace quelvane
