#include "savefile/RepairedBlockSource.h"

#include <algorithm>
#include <cstring>

namespace quelvane {

RepairedBlockSource::RepairedBlockSource(BlockSource& raw, const std::vector<GridRepair>& repairs)
    : raw_(raw) {
    build(repairs);
}

RepairedBlockSource::RepairedBlockSource(std::unique_ptr<BlockSource> raw,
                                         const std::vector<GridRepair>& repairs)
    : owned_(std::move(raw)), raw_(*owned_) {
    build(repairs);
}

std::unique_ptr<BlockSource> RepairedBlockSource::over(std::unique_ptr<BlockSource> raw,
                                                       const std::vector<GridRepair>& repairs) {
    if (repairs.empty() || !raw) {
        return raw;
    }
    return std::make_unique<RepairedBlockSource>(std::move(raw), repairs);
}

void RepairedBlockSource::build(const std::vector<GridRepair>& repairs) {
    const std::int64_t rawSize = raw_.isOpen() ? raw_.size() : 0;
    std::int64_t rawDone = 0;
    auto take = [this](Piece piece) {
        if (piece.length > 0) {
            piece.start = size_;
            size_ += piece.length;
            pieces_.push_back(piece);
        }
    };
    for (const GridRepair& repair : repairs) {
        const std::int64_t dropped = std::max<std::int64_t>(repair.bytes, 0);
        if (repair.bytes == 0 || repair.offset < rawDone || repair.offset > rawSize - dropped ||
            repair.bytes < -rawSize) {
            continue;
        }
        take({0, repair.offset - rawDone, rawDone, false, 0});
        if (repair.bytes < 0) {
            take({0, -repair.bytes, 0, true, repair.filler});
        }
        rawDone = repair.offset + dropped;
    }
    take({0, rawSize - rawDone, rawDone, false, 0});
}

std::int64_t RepairedBlockSource::readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count) {
    if (!raw_.isOpen() || offset < 0 || count <= 0 || offset >= size_) {
        return 0;
    }
    auto piece = std::upper_bound(pieces_.begin(), pieces_.end(), offset,
                                  [](std::int64_t value, const Piece& p) { return value < p.start; });
    --piece;
    std::int64_t done = 0;
    for (; piece != pieces_.end() && done < count; ++piece) {
        const std::int64_t within = offset + done - piece->start;
        const std::int64_t wanted = std::min(count - done, piece->length - within);
        if (piece->filler) {
            std::memset(target + done, piece->fillerByte, static_cast<std::size_t>(wanted));
        } else {
            const std::int64_t got = raw_.readAt(piece->rawStart + within, target + done, wanted);
            done += got;
            if (got < wanted) {
                return done;
            }
            continue;
        }
        done += wanted;
    }
    return done;
}

std::unique_ptr<BlockSource> repairedSourceFor(BlockSource& raw, const SaveFileCheckReport& report) {
    if (!report.repairable()) {
        return nullptr;
    }
    return std::make_unique<RepairedBlockSource>(raw, report.repairs());
}

}  // namespace quelvane
