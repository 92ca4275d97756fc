#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "compare/ComparedSide.h"
#include "compare/SaveComparison.h"

namespace quelvane {

// Compares two members of the same name: their facts from the catalog, then their stored
// records by digest, and only where the digests differ reads them again: a source member's lines
// as a unified diff, a data member's records by relative record number.
class MemberComparer {
  public:
    static constexpr std::size_t kRecordsShown = 10;

    MemberComparer(ComparedSide& before, ComparedSide& after, bool withDates)
        : before_(before), after_(after), withDates_(withDates) {}

    // Nothing when the members hold the same.
    std::optional<MemberComparison> compare(const SavedObject& oldFile, const SavedMember& oldMember,
                                            const SavedObject& newFile, const SavedMember& newMember,
                                            const std::string& node);

    // A source member's lines as extract writes them; with dates, each led by its sequence number
    // and date. Raises what the reading raises.
    std::vector<std::string> sourceLines(ComparedSide& side, const SavedObject& file,
                                         const SavedMember& member) const;

  private:
    void compareRecords(const SavedObject& oldFile, const SavedMember& oldMember, const SavedObject& newFile,
                        const SavedMember& newMember, MemberComparison& out);

    ComparedSide& before_;
    ComparedSide& after_;
    bool withDates_;
};

}  // namespace quelvane
