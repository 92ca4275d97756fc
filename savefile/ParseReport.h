#pragma once

#include <cstdint>
#include <string>

namespace quelvane {

// How the last parse of a save file ended: whether the file was taken as a save file, and where
// and why the walk of its segment chain stopped. Only a walk that reached the file's last block
// and read every object directory gives a complete catalog.
struct ParseReport {
    // Keep in step with the reason texts in ParseReport.cpp.
    enum class Stop {
        NotRead,             // nothing parsed yet
        NotASaveFile,        // the header's block counts disagree with each other or the file size
        EndOfFile,           // the chain's last segment ends at the file's last block
        SegmentPastEnd,      // a segment's length reaches past the file's last block
        DescriptorPastEnd,   // a segment's save/restore descriptor block lies past the end
        ChainNotForward,     // a segment length below 1, or a chain pointing back
        DirectoryUnread,     // the chain was walked, but a directory, description or member area was not
        DecodingFailure,     // a count or offset led outside the bytes read for it
        SegmentNotExpanded,  // a compressed segment's data could not be expanded
    };

    bool accepted = false;
    Stop stop = Stop::NotRead;
    // The block the walk stopped at (numbered from 0); -1 when no block applies.
    std::int64_t block = -1;
    // What the stop's fixed reason does not say, added to it in brackets by `text`: why the check
    // rejected the file (NotASaveFile); the failure's own text (DecodingFailure: a count or
    // offset outside its bytes, an allocation, or what the entry budget refused); where the
    // object directory, a description or a member area stopped and why (DirectoryUnread); the
    // first segment that could not be expanded and why (SegmentNotExpanded). Empty otherwise.
    std::string detail;

    bool complete() const { return accepted && stop == Stop::EndOfFile; }

    // One line: "complete", or "stopped at block N: why".
    std::string text() const;
};

}  // namespace quelvane
