#pragma once

#include <cstdint>
#include <string>

namespace quelvane {

// The characters an export run could not write in the PC code page (each became the page's
// substitution character, or a character of its own the page reads otherwise), and where the
// first of them stands, so the run can say so once it has written everything else.
class ExportTextLoss {
  public:
    // Where a field's text stands: the member, the record's number in it (from 1) and the field.
    struct Place {
        std::string member;
        std::int64_t record = 0;
        std::string field;
    };

    void clear();
    // Counts `characters` more lost characters at `place`; the first place is kept.
    void add(std::int64_t characters, const Place& place);

    std::int64_t count() const { return count_; }
    const Place& first() const { return first_; }

    // "N characters could not be written in PC code page P ..." naming the first place and the
    // UTF-8 choice; empty when nothing was lost. `withMember` names the member as well (a batch).
    std::string message(std::int32_t pcCodePage, bool withMember) const;

  private:
    std::int64_t count_ = 0;
    Place first_;
};

}  // namespace quelvane
