#include "savefile/SaveFileCheck.h"

#include <algorithm>
#include <span>
#include <utility>
#include <vector>

#include "savefile/BigEndianReader.h"
#include "savefile/OldestLayout.h"
#include "savefile/RecordCheck.h"
#include "savefile/SaveFileLayout.h"

namespace quelvane {

namespace {

constexpr std::int64_t kSystemTextProbe = 8;

// Block trailer.
constexpr std::int64_t kSequenceEnd = 516;
constexpr std::int64_t kTrailerHeaderCopy = 516;
constexpr std::int64_t kTrailerShiftedSequence = 524;
constexpr int kSequenceShift = 13;

constexpr std::int64_t kRunBlocks = 64;
// A line-end search covers at most the blocks a resumption may skip and the reach around them.
constexpr std::int64_t kLineEndWindow = 8192;
constexpr std::uint8_t kCarriageReturn = 0x0D;
constexpr std::uint8_t kLineFeed = 0x0A;

// The system text starts with the release and machine type in EBCDIC digits; after a text-mode
// transfer they read as ASCII digits, blanks and capitals.
bool readsAsAscii(std::span<const std::uint8_t> text) {
    int digits = 0;
    for (std::uint8_t c : text) {
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c != ' ' && !(c >= 'A' && c <= 'Z')) {
            return false;
        }
    }
    return digits >= 3;
}

std::uint32_t sequenceOf(std::span<const std::uint8_t> block) {
    return BigEndianReader(block).u32(SaveFileLayout::kSequenceOffset);
}

}  // namespace

SaveFileCheckReport SaveFileCheck::examine(BlockSource& source) {
    SaveFileCheckReport report;
    report.readable = source.isOpen();
    report.size = report.readable ? source.size() : 0;
    std::array<std::uint8_t, kBlockSize> first{};
    std::int64_t got = source.isOpen() ? source.readAt(0, first.data(), kBlockSize) : 0;
    if (got < SaveFileLayout::kMinimumHeader) {
        return report;
    }
    BigEndianReader block0(std::span<const std::uint8_t>(first).first(static_cast<std::size_t>(got)));
    report.blockCount = block0.u32(SaveFileLayout::kBlockCount);
    report.blockCountCopy = block0.u32(SaveFileLayout::kBlockCountCopy);
    report.headerSize = block0.u32(SaveFileLayout::kHeaderSize);
    report.oldestLayout = OldestLayout::matches(block0);
    report.firstSequenceRight = got == kBlockSize && block0.u32(SaveFileLayout::kSequenceOffset) == 1;
    report.asciiSystemText = readsAsAscii(block0.at(SaveFileLayout::kSystemText, kSystemTextProbe));
    SaveFileCheck check(source, report, RecordCheck::forBlock0(first));
    std::copy_n(first.begin(), check.header_.size(), check.header_.begin());
    // Bytes put in or taken out of block 0 move its sequence number and perhaps its counts; the
    // blocks after it still say whether this is a save file.
    if (!report.firstSequenceRight && !check.resumeAt(1, 0, 0, kShiftReach, kResumeConfirm)) {
        return report;
    }
    check.scan();
    check.noteLastRecord();
    if (report.headerTooOld()) {
        report.verdict = SaveFileVerdict::HeaderTooOld;
    } else {
        report.verdict = report.findings().empty() && report.recordFindings().empty()
                             ? SaveFileVerdict::Clean
                             : SaveFileVerdict::Damaged;
    }
    return report;
}

bool SaveFileCheck::looksWhole(BlockSource& source) {
    std::int64_t size = source.isOpen() ? source.size() : 0;
    if (size < kBlockSize || size % kBlockSize != 0) {
        return false;
    }
    std::array<std::uint8_t, kBlockSize> block{};
    if (source.readAt(0, block.data(), kBlockSize) != kBlockSize || sequenceOf(block) != 1) {
        return false;
    }
    std::int64_t last = size / kBlockSize;
    return source.readAt(size - kBlockSize, block.data(), kBlockSize) == kBlockSize &&
           sequenceOf(block) == static_cast<std::uint32_t>(last);
}

bool SaveFileCheck::zeroBlockRight(std::span<const std::uint8_t> block, std::int64_t index) const {
    std::span<const std::uint8_t> body = block.first(kBodySize);
    if (std::any_of(body.begin(), body.end(), [](std::uint8_t b) { return b != 0; })) {
        return false;
    }
    BigEndianReader trailer(block);
    auto shifted = static_cast<std::uint32_t>(static_cast<std::uint64_t>(index + 1) << kSequenceShift);
    std::span<const std::uint8_t> copy =
        trailer.at(kTrailerHeaderCopy, static_cast<std::int64_t>(header_.size()));
    return std::equal(copy.begin(), copy.end(), header_.begin()) &&
           trailer.u32(kTrailerShiftedSequence) == shifted;
}

void SaveFileCheck::noteLastRecord() {
    const std::int64_t whole = report_.size - grid_ >= kBlockSize ? (report_.size - grid_) / kBlockSize : 0;
    if (whole > 0) {
        report_.lastWholeRecord = whole - 1;
        report_.lastWholeOffset = (whole - 1) * kBlockSize + grid_;
    }
}

void SaveFileCheck::checkRecord(std::span<const std::uint8_t> block, std::int64_t index,
                                std::int64_t offset) {
    ++report_.recordsChecked;
    if (records_.holds(block.first<kBlockSize>())) {
        ++report_.recordsIntact;
    } else {
        report_.addFault(index, index, offset, RecordFault::Changed);
    }
}

void SaveFileCheck::scan() {
    const std::int64_t size = report_.size;
    std::vector<std::uint8_t> run(static_cast<std::size_t>(kRunBlocks * kBlockSize));
    std::int64_t block = 0;
    std::int64_t lastGoodEnd = 0;
    for (;;) {
        std::int64_t start = block * kBlockSize + grid_;
        if (start < 0 || start >= size) {
            break;
        }
        if (start > size - kBlockSize) {
            // A partial last block is extra bytes, or a last block that lost some of its own.
            if (follow(block, lastGoodEnd, true)) {
                continue;
            }
            break;
        }
        std::int64_t count = std::min(kRunBlocks, (size - start) / kBlockSize);
        count = source_.readAt(start, run.data(), count * kBlockSize) / kBlockSize;
        if (count == 0) {
            break;
        }
        std::int64_t k = 0;
        for (; k < count; ++k) {
            std::span<const std::uint8_t> held(run.data() + k * kBlockSize, kBlockSize);
            if (sequenceOf(held) != static_cast<std::uint32_t>(block + 1)) {
                break;
            }
            checkRecord(held, block, start + k * kBlockSize);
            lastGoodEnd = start + k * kBlockSize + (zeroBlockRight(held, block) ? kBlockSize : kSequenceEnd);
            ++block;
        }
        report_.blocksExamined = block;
        if (k == count) {
            continue;
        }
        if (!follow(block, lastGoodEnd, false)) {
            report_.sequenceStop = block;
            report_.stopOffset = block * kBlockSize + grid_;
            break;
        }
    }
}

bool SaveFileCheck::follow(std::int64_t& block, std::int64_t lastGoodEnd, bool lostOnly) {
    if (report_.shifts.size() >= static_cast<std::size_t>(kMaxShifts)) {
        report_.shiftLimitReached = !lostOnly;
        return false;
    }
    std::optional<GridShift> shift = resume(block, lastGoodEnd);
    if (!shift || (lostOnly && shift->bytes >= 0)) {
        return false;
    }
    report_.shifts.push_back(*shift);
    if (shift->resumeBlock > shift->breakBlock) {
        report_.recordsChecked += shift->resumeBlock - shift->breakBlock;
        report_.addFault(shift->breakBlock, shift->resumeBlock - 1, shift->breakBlock * kBlockSize + grid_,
                         shift->bytes == 0 ? RecordFault::OutOfSequence : RecordFault::Shifted);
    }
    grid_ += shift->bytes;
    block = shift->resumeBlock;
    return true;
}

// Two blocks in a row right on the new grid settle it. Where bytes went in or out in every
// block (a text-mode transfer), no two blocks in a row share a grid: then one block right on a
// grid a few bytes away does.
std::optional<GridShift> SaveFileCheck::resume(std::int64_t brokenBlock, std::int64_t lastGoodEnd) {
    for (auto [reach, confirm] :
         {std::pair{kShiftReach, kResumeConfirm}, std::pair{kNearReach, std::int64_t{1}}}) {
        for (std::int64_t block = brokenBlock; block < brokenBlock + kResumeLookahead; ++block) {
            std::optional<GridShift> shift = resumeAt(block, brokenBlock, lastGoodEnd, reach, confirm);
            if (shift) {
                markLineEnd(*shift);
                return shift;
            }
        }
    }
    return std::nullopt;
}

// The nearest grid on which `block` and the blocks after it carry their numbers; the first block
// found right on it bounds the change from above, the last good bytes before the break from below.
std::optional<GridShift> SaveFileCheck::resumeAt(std::int64_t block, std::int64_t brokenBlock,
                                                 std::int64_t lastGoodEnd, std::int64_t reach,
                                                 std::int64_t confirmBlocks) {
    const std::int64_t base = block * kBlockSize + grid_;
    const std::int64_t low = std::max<std::int64_t>(0, base - reach);
    const std::int64_t high = std::min(report_.size, base + reach + confirmBlocks * kBlockSize);
    if (high - low < kBlockSize) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> window(static_cast<std::size_t>(high - low));
    window.resize(static_cast<std::size_t>(source_.readAt(low, window.data(), high - low)));
    const auto held = static_cast<std::int64_t>(window.size());
    for (std::int64_t distance = 0; distance <= reach; ++distance) {
        for (std::int64_t sign : {1, -1}) {
            if (distance == 0 && (sign < 0 || block == brokenBlock)) {
                continue;
            }
            const std::int64_t shift = sign * distance;
            std::int64_t start = base + shift - low;
            std::int64_t confirm = start < 0 ? 0 : std::min(confirmBlocks, (held - start) / kBlockSize);
            bool right = confirm > 0;
            for (std::int64_t j = 0; right && j < confirm; ++j) {
                std::span<const std::uint8_t> candidate(window.data() + start + j * kBlockSize, kBlockSize);
                right = sequenceOf(candidate) == static_cast<std::uint32_t>(block + j + 1);
            }
            if (!right) {
                continue;
            }
            std::span<const std::uint8_t> first(window.data() + start, kBlockSize);
            std::int64_t firstGood =
                low + start + (zeroBlockRight(first, block) ? 0 : SaveFileLayout::kSequenceOffset);
            // Inserted bytes need room between the good bytes on either side. Lost bytes need
            // none: where they were one of a run of equal bytes, both grids hold over the run.
            if (shift > 0 && firstGood - lastGoodEnd < shift) {
                continue;
            }
            GridShift found;
            found.breakBlock = brokenBlock;
            found.resumeBlock = block;
            found.resumeOffset = low + start;
            found.bytes = shift;
            found.from = std::min(lastGoodEnd, firstGood);
            found.to = shift < 0 ? std::max(lastGoodEnd, firstGood) : firstGood - 1;
            if (shift != 0) {
                found.repairs = {{shift > 0 ? firstGood - shift : found.to, shift, 0}};
            }
            return found;
        }
    }
    return std::nullopt;
}

// A shift of one byte over a range holding exactly one carriage return before a line feed (one
// put in) or one lone line feed (its carriage return taken out) is the work of a text-mode
// transfer, and that place is where the byte went in or out.
void SaveFileCheck::markLineEnd(GridShift& shift) {
    const std::int64_t moved = shift.bytes < 0 ? -shift.bytes : shift.bytes;
    if (moved == 0 || moved > kNearReach) {
        return;
    }
    const std::int64_t low = std::max<std::int64_t>(0, shift.from - 1);
    const std::int64_t length = std::min(kLineEndWindow, shift.to + 2 - low);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::max<std::int64_t>(length, 0)));
    bytes.resize(static_cast<std::size_t>(source_.readAt(low, bytes.data(), length)));
    std::vector<GridRepair> places;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::int64_t offset = low + static_cast<std::int64_t>(i);
        if (offset < shift.from || offset > shift.to) {
            continue;
        }
        bool mark = shift.bytes > 0
                        ? bytes[i] == kCarriageReturn && i + 1 < bytes.size() && bytes[i + 1] == kLineFeed
                        : bytes[i] == kLineFeed && (i == 0 || bytes[i - 1] != kCarriageReturn);
        if (mark) {
            places.push_back(shift.bytes > 0 ? GridRepair{offset, 1, 0}
                                             : GridRepair{offset, -1, kCarriageReturn});
        }
    }
    if (static_cast<std::int64_t>(places.size()) == moved) {
        shift.lineEnd = true;
        shift.repairs = std::move(places);
    }
}

}  // namespace quelvane
