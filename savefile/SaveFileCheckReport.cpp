#include "savefile/SaveFileCheckReport.h"

#include <algorithm>

namespace quelvane {

namespace {

constexpr std::size_t kShiftsListed = 20;

std::string count(std::int64_t number, const char* unit) {
    return std::to_string(number) + " " + unit + (number == 1 ? "" : "s");
}

std::string range(std::int64_t from, std::int64_t to) {
    return from == to ? "at offset " + std::to_string(from)
                      : "within offsets " + std::to_string(from) + "-" + std::to_string(to);
}

// What happened at one shift, without the verdict around it.
std::string changeText(const GridShift& shift) {
    std::string block = " (block " + std::to_string(shift.breakBlock) + ")";
    if (shift.lineEnd) {
        std::string places;
        for (const GridRepair& repair : shift.repairs) {
            places += (places.empty() ? "" : ", ") + std::to_string(repair.offset);
        }
        const bool one = shift.repairs.size() == 1;
        return shift.bytes > 0 ? count(shift.bytes, "byte") + " inserted at offset" + (one ? " " : "s ") +
                                     places + block + ": carriage return (0D) before line feed (0A)"
                               : count(-shift.bytes, "byte") + " lost before offset" + (one ? " " : "s ") +
                                     places + block + ": carriage return (0D) before line feed (0A)";
    }
    if (shift.bytes > 0) {
        return count(shift.bytes, "byte") + " inserted " + range(shift.from, shift.to) + block;
    }
    return count(-shift.bytes, "byte") + " lost " +
           (shift.from == shift.to
                ? "at offset " + std::to_string(shift.from)
                : "between offsets " + std::to_string(shift.from) + " and " + std::to_string(shift.to)) +
           block;
}

std::string shiftText(const GridShift& shift) {
    if (shift.bytes == 0) {
        std::string blocks =
            shift.resumeBlock - 1 == shift.breakBlock
                ? "Block " + std::to_string(shift.breakBlock) + " carries a wrong sequence number"
                : "Blocks " + std::to_string(shift.breakBlock) + "-" + std::to_string(shift.resumeBlock - 1) +
                      " carry wrong sequence numbers";
        return blocks + "; the grid goes on unmoved from block " + std::to_string(shift.resumeBlock);
    }
    return changeText(shift) + "; sequence numbers run again from block " +
           std::to_string(shift.resumeBlock) + " at offset " + std::to_string(shift.resumeOffset);
}

std::string recordsText(const RecordFaultRun& run) {
    if (run.first == run.last) {
        return "Record " + std::to_string(run.first) + " (offset " + std::to_string(run.offset) + ")";
    }
    return "Records " + std::to_string(run.first) + "-" + std::to_string(run.last) + " (from offset " +
           std::to_string(run.offset) + ")";
}

std::string faultText(const RecordFaultRun& run) {
    const bool one = run.first == run.last;
    switch (run.fault) {
        case RecordFault::Changed:
            return recordsText(run) + ": bytes changed inside the record" + (one ? "" : "s");
        case RecordFault::OutOfSequence:
            return recordsText(run) + ": out of sequence";
        case RecordFault::Shifted:
            break;
    }
    return recordsText(run) + ": the grid shifts here; the records after " + (one ? "it" : "them") +
           " are read where it moved";
}

}  // namespace

void SaveFileCheckReport::addFault(std::int64_t first, std::int64_t last, std::int64_t offset,
                                   RecordFault fault) {
    if (!faultRuns.empty()) {
        RecordFaultRun& before = faultRuns.back();
        if (before.fault == fault && before.last + 1 == first) {
            before.last = last;
            return;
        }
    }
    if (faultRuns.size() >= kFaultRunsKept) {
        faultsUnlisted += last - first + 1;
        return;
    }
    faultRuns.push_back({first, last, offset, fault});
}

// Faulty records among first..last, as far as the listed runs tell.
std::int64_t SaveFileCheckReport::faultsWithin(std::int64_t first, std::int64_t last) const {
    std::int64_t found = 0;
    for (const RecordFaultRun& run : faultRuns) {
        found += std::max<std::int64_t>(0, std::min(last, run.last) - std::max(first, run.first) + 1);
    }
    return found;
}

// How the records after each moved grid fare on it, up to the next shift or where reading stops.
void SaveFileCheckReport::shiftedGridFindings(std::vector<std::string>& out) const {
    for (std::size_t i = 0; i < shifts.size() && i < kShiftsListed; ++i) {
        if (shifts[i].bytes == 0) {
            continue;
        }
        const std::int64_t end = i + 1 < shifts.size() ? shifts[i + 1].breakBlock - 1
                                 : sequenceStop >= 0   ? sequenceStop - 1
                                                       : lastWholeRecord;
        std::int64_t first = shifts[i].resumeBlock;
        while (first <= end && faultsWithin(first, first) > 0) {
            ++first;
        }
        if (first > end) {
            continue;
        }
        const std::string grid = " on the grid shifted at record " + std::to_string(shifts[i].breakBlock);
        const std::int64_t faults = faultsWithin(first, end);
        out.push_back(
            faults == 0
                ? "Records " + std::to_string(first) + "-" + std::to_string(end) + " are intact" + grid
                : std::to_string(end - first + 1 - faults) + " of the " + count(end - first + 1, "record") +
                      " from record " + std::to_string(first) + " on are intact" + grid);
    }
}

bool SaveFileCheckReport::cut() const {
    return lastWholeRecord + 1 < static_cast<std::int64_t>(blockCount);
}

std::vector<std::string> SaveFileCheckReport::recordFindings() const {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < faultRuns.size() && i < kShiftsListed; ++i) {
        out.push_back(faultText(faultRuns[i]));
    }
    std::int64_t unlisted = faultsUnlisted;
    for (std::size_t i = kShiftsListed; i < faultRuns.size(); ++i) {
        unlisted += faultRuns[i].last - faultRuns[i].first + 1;
    }
    if (unlisted > 0) {
        out.push_back("... and " + count(unlisted, "more record") + " not intact");
    }
    if (!faultRuns.empty()) {
        shiftedGridFindings(out);
    }
    if (!faultRuns.empty()) {
        out.push_back("Records intact: " + std::to_string(recordsIntact) + " of " +
                      std::to_string(recordsChecked) +
                      (netShift() != 0 ? ", on the grid as the shifts leave it" : ""));
    }
    if (cut() && lastWholeRecord >= 0) {
        out.push_back("The file ends early: its last whole record is record " +
                      std::to_string(lastWholeRecord) + " (offset " + std::to_string(lastWholeOffset) +
                      ") of the " + std::to_string(blockCount) + " the header counts");
    }
    return out;
}

std::int64_t SaveFileCheckReport::netShift() const {
    std::int64_t net = 0;
    for (const GridShift& shift : shifts) {
        net += shift.bytes;
    }
    return net;
}

bool SaveFileCheckReport::repairable() const {
    return verdict == SaveFileVerdict::Damaged && sequenceStop < 0 && !asciiSystemText &&
           std::any_of(shifts.begin(), shifts.end(), [](const GridShift& s) { return s.bytes != 0; });
}

std::vector<GridRepair> SaveFileCheckReport::repairs() const {
    std::vector<GridRepair> out;
    for (const GridShift& shift : shifts) {
        out.insert(out.end(), shift.repairs.begin(), shift.repairs.end());
    }
    return out;
}

bool SaveFileCheckReport::lineEndTranslation() const {
    std::int64_t moved = 0;
    std::int64_t marked = 0;
    for (const GridShift& shift : shifts) {
        moved += shift.bytes != 0 ? 1 : 0;
        marked += shift.lineEnd ? 1 : 0;
    }
    return marked > 0 && marked == moved;
}

std::vector<std::string> SaveFileCheckReport::findings() const {
    std::vector<std::string> out;
    if (extraBytes() != 0) {
        out.push_back("Size " + std::to_string(size) + " bytes is not a whole number of 528-byte blocks: " +
                      count(wholeBlocks(), "block") + " and " + count(extraBytes(), "byte") + " over (" +
                      std::to_string(kBlock - extraBytes()) + " short of " +
                      std::to_string(wholeBlocks() + 1) + ")");
    }
    const std::int64_t held = (size - netShift()) / kBlock;
    const std::string heldText = "the file holds " + count(held, "whole block") +
                                 (netShift() != 0 ? " once the shifts are undone" : "");
    const bool copyKept = !headerTooOld() && !(oldestLayout && blockCountCopy == 0);
    if (blockCount != blockCountCopy && copyKept) {
        out.push_back("Block counts disagree: offset 8 says " + std::to_string(blockCount) +
                      ", offset 60 says " + std::to_string(blockCountCopy) + "; " + heldText);
    } else if (blockCount != held) {
        out.push_back("Block count " + std::to_string(blockCount) +
                      " disagrees with the file size: " + heldText);
    }
    for (std::size_t i = 0; i < shifts.size() && i < kShiftsListed; ++i) {
        out.push_back(shiftText(shifts[i]));
    }
    if (shifts.size() > kShiftsListed) {
        out.push_back("... and " +
                      count(static_cast<std::int64_t>(shifts.size() - kShiftsListed), "more shift"));
    }
    if (sequenceStop >= 0) {
        out.push_back("Block sequence numbers stop running at block " + std::to_string(sequenceStop) +
                      " (offset " + std::to_string(stopOffset) + ")" +
                      (shiftLimitReached ? ": too many shifts to follow further"
                                         : ": no grid within 528 bytes either way carries them on"));
    }
    if (lineEndTranslation()) {
        std::int64_t places = 0;
        for (const GridShift& shift : shifts) {
            places += static_cast<std::int64_t>(shift.repairs.size());
        }
        out.push_back("Marks of a text-mode transfer: line-end translation at " + count(places, "place"));
    }
    if (asciiSystemText) {
        out.push_back(
            "Marks of a text-mode transfer: EBCDIC/ASCII translation (the system text in block 0 "
            "reads as ASCII)");
    }
    return out;
}

std::vector<std::string> SaveFileCheckReport::lines() const {
    std::vector<std::string> out;
    switch (verdict) {
        case SaveFileVerdict::NotSaveFile:
            out.push_back(!readable ? "Not a save file: it cannot be read"
                          : size < kBlock
                              ? "Not a save file: " + count(size, "byte") + ", less than one block"
                              : "Not a save file: neither block 0 nor block 1 carries its sequence "
                                "number");
            return out;
        case SaveFileVerdict::Clean:
            out.push_back("Clean: " + count(wholeBlocks(), "block") +
                          (oldestLayout && blockCountCopy == 0
                               ? " of 528 bytes, the block count agrees (the oldest layout keeps no second "
                                 "one), every sequence number in place"
                               : " of 528 bytes, both block counts agree, every sequence number in place"));
            out.push_back("Every one of " + count(recordsChecked, "record") +
                          " is intact: each carries its sequence number and the check of its own bytes");
            return out;
        case SaveFileVerdict::HeaderTooOld:
            out.push_back(
                "Header too old: block 0 lacks the header size (offset 52) and the second block "
                "count (offset 60) that later save files carry");
            break;
        case SaveFileVerdict::Damaged:
            out.push_back("Damaged:");
            break;
    }
    for (std::string& finding : findings()) {
        out.push_back("  " + finding);
    }
    for (std::string& finding : recordFindings()) {
        out.push_back("  " + finding);
    }
    if (faultRuns.empty() && recordsChecked > 0) {
        out.push_back("  Every one of the " + count(recordsChecked, "record") + " read is intact");
    }
    if (repairable()) {
        out.push_back("The shifts explain the damage: the rest of the file can be read past it");
    }
    return out;
}

std::string SaveFileCheckReport::reason() const {
    if (verdict == SaveFileVerdict::NotSaveFile || verdict == SaveFileVerdict::Clean) {
        return lines().front();
    }
    std::string text = verdict == SaveFileVerdict::HeaderTooOld ? lines().front() : "Damaged";
    std::string separator = ": ";
    for (const std::string& finding : findings()) {
        text += separator + finding;
        separator = "; ";
    }
    return text;
}

std::vector<std::string> SaveFileCheckReport::repairNotes() const {
    std::vector<std::string> out;
    std::int64_t unlisted = 0;
    for (const GridShift& shift : shifts) {
        if (shift.bytes == 0) {
            continue;
        }
        if (out.size() < kShiftsListed) {
            out.push_back("Read past damage: " + changeText(shift));
        } else {
            ++unlisted;
        }
    }
    if (unlisted > 0) {
        out.push_back("Read past damage: ... and " + count(unlisted, "more place"));
    }
    return out;
}

}  // namespace quelvane
