#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "savefile/Catalog.h"
#include "views/NodeContentTarget.h"
#include "views/ViewOutcome.h"
#include "views/ViewSession.h"

namespace quelvane {

// Rows `first` to `first + count - 1` of a member's listing, counted as the full listing counts
// its rows (from 0, slots without a record included).
struct MemberRowRange {
    // The most digits either number may have: far past any record count a file can hold, and
    // `first + count` cannot overflow.
    static constexpr std::size_t kLargestDigits = 15;

    std::int64_t first = 0;
    std::int64_t count = 0;

    // "FIRST:COUNT", two decimal numbers; nothing for anything else.
    static std::optional<MemberRowRange> parse(std::string_view text);
};

// Lists only the rows of `range` of the member `ref` names: the columns and messages of
// showMemberRecords and the same rows, each read from where its slot lies in the stream, so the
// rows before the range are never read. Rows past the member's records are not there to list;
// a range past the end lists none.
ViewOutcome showMemberRowRange(ViewSession& session, NodeContentTarget& target, MemberRef ref,
                               MemberRowRange range);

}  // namespace quelvane
