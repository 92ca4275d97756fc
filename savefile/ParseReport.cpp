#include "savefile/ParseReport.h"

namespace quelvane {

namespace {

const char* reasonText(ParseReport::Stop stop) {
    switch (stop) {
        case ParseReport::Stop::NotRead:
            return "not parsed";
        case ParseReport::Stop::NotASaveFile:
            return "not a save file (the header's block counts disagree with each other or the file size)";
        case ParseReport::Stop::EndOfFile:
            return "the segment chain ends at the file's last block";
        case ParseReport::Stop::SegmentPastEnd:
            return "a segment reaches past the file's last block";
        case ParseReport::Stop::DescriptorPastEnd:
            return "the segment's save/restore descriptor lies past the end of the file";
        case ParseReport::Stop::ChainNotForward:
            return "the segment chain does not lead forward";
        case ParseReport::Stop::DirectoryUnread:
            return "an object directory, description or member area could not be read";
        case ParseReport::Stop::DecodingFailure:
            return "a count or offset leads outside the bytes read for it";
        case ParseReport::Stop::SegmentNotExpanded:
            return "a compressed segment could not be expanded";
    }
    return "unknown";
}

}  // namespace

std::string ParseReport::text() const {
    if (complete()) {
        return "complete";
    }
    std::string line = block >= 0 ? "stopped at block " + std::to_string(block) + ": " : "stopped: ";
    line += reasonText(stop);
    if (!detail.empty()) {
        line += " (" + detail + ")";
    }
    return line;
}

}  // namespace quelvane
