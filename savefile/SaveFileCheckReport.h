#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "savefile/GridRepair.h"
#include "savefile/SaveFileLayout.h"

namespace quelvane {

enum class SaveFileVerdict { NotSaveFile, HeaderTooOld, Clean, Damaged };

// Where the block sequence numbers went wrong and where they run again. Offsets are in the file
// as it is. The change lies within [from, to]: inserted bytes are some of the bytes there, lost
// bytes were missing at some point there; the sequence numbers and the trailers of all-zero
// blocks on either side tell no more than that.
struct GridShift {
    std::int64_t breakBlock = 0;   // first block whose sequence number is wrong
    std::int64_t resumeBlock = 0;  // first block whose sequence number is right again
    std::int64_t resumeOffset = 0;
    std::int64_t bytes = 0;  // > 0 inserted, < 0 lost, 0: blocks garbled in place, grid unmoved
    std::int64_t from = 0;
    std::int64_t to = 0;
    // As many carriage returns (0D) before line feeds (0A) in the range as bytes were put in, or
    // lone line feeds as were lost: the work of a text-mode transfer, and `repairs` name the
    // exact places. Otherwise one repair at the end of the range.
    bool lineEnd = false;
    std::vector<GridRepair> repairs;
};

// Records whose own bytes say they are not as the system wrote them, a run of neighbours at a
// time. Record numbers count from 0 (the block number); the offset is the first one's in the file
// as it is.
enum class RecordFault {
    Changed,        // the sequence number is right, the record check is not: bytes changed inside
    OutOfSequence,  // a number other than the record's own, the grid unmoved
    Shifted,        // where the grid moves: the records from here on sit elsewhere in the file
};

struct RecordFaultRun {
    std::int64_t first = 0;
    std::int64_t last = 0;
    std::int64_t offset = 0;
    RecordFault fault = RecordFault::Changed;
};

// What the examination of a save file found: the verdict and the facts behind it.
struct SaveFileCheckReport {
    SaveFileVerdict verdict = SaveFileVerdict::NotSaveFile;
    bool readable = false;
    std::int64_t size = 0;
    std::uint32_t blockCount = 0;      // header offset 8
    std::uint32_t blockCountCopy = 0;  // header offset 60
    std::uint32_t headerSize = 0;      // header offset 52
    bool firstSequenceRight = false;
    std::int64_t blocksExamined = 0;
    std::vector<GridShift> shifts;
    std::int64_t sequenceStop = -1;  // block where the numbers stop for good, -1 when they run on
    std::int64_t stopOffset = 0;
    bool shiftLimitReached = false;
    bool asciiSystemText = false;
    // Block 0 in the oldest layout (OldestLayout), which keeps neither a header size nor a second
    // block count.
    bool oldestLayout = false;
    // Every record on the grid (as the shifts leave it) is checked: its sequence number and the
    // 12-byte check of its own bytes. Runs past `kFaultRunsKept` are only counted.
    std::int64_t recordsChecked = 0;
    std::int64_t recordsIntact = 0;
    std::vector<RecordFaultRun> faultRuns;
    std::int64_t faultsUnlisted = 0;
    // The last record wholly in the file, -1 when there is none; with its offset.
    std::int64_t lastWholeRecord = -1;
    std::int64_t lastWholeOffset = 0;
    static constexpr std::size_t kFaultRunsKept = 64;

    // Adds the records first..last to the faults, joining a run of the same fault just before.
    void addFault(std::int64_t first, std::int64_t last, std::int64_t offset, RecordFault fault);
    // True when the file holds fewer whole records than its header counts.
    bool cut() const;

    std::int64_t wholeBlocks() const { return size / kBlock; }
    std::int64_t extraBytes() const { return size % kBlock; }
    // Bytes inserted less bytes lost over all shifts.
    std::int64_t netShift() const;
    // True when shifts explain every break of the sequence numbers and moved the grid.
    bool repairable() const;
    std::vector<GridRepair> repairs() const;

    // Block 0 without the header size and the second block count later releases write, and not
    // in the oldest layout either.
    bool headerTooOld() const {
        return blockCount > 0 && blockCountCopy == 0 && headerSize == 0 && !oldestLayout;
    }
    // What is wrong with the grid and the counts, one finding per line; empty for a clean file.
    std::vector<std::string> findings() const;
    // The records that are not intact, how many are, and where a cut file's records end; empty
    // when every record is intact.
    std::vector<std::string> recordFindings() const;

    // The report, one finding per line, the verdict first.
    std::vector<std::string> lines() const;
    // The findings in one line, for the message that rejects a file.
    std::string reason() const;
    // One line per shift that reading on a repaired grid goes past.
    std::vector<std::string> repairNotes() const;

    static constexpr std::int64_t kBlock = SaveFileLayout::kBlockSize;

  private:
    bool lineEndTranslation() const;
    std::int64_t faultsWithin(std::int64_t first, std::int64_t last) const;
    void shiftedGridFindings(std::vector<std::string>& out) const;
};

}  // namespace quelvane
