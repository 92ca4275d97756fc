#include "views/RecordRows.h"

#include <algorithm>
#include <exception>

#include "savefile/BigEndianReader.h"
#include "savefile/FailureReason.h"
#include "views/FieldDecoder.h"
#include "views/MemberRecordStream.h"

namespace quelvane {

RecordRows::RecordRows(const SavedObject& file, std::unique_ptr<BlockSource> saveFile, std::int32_t sequence,
                       EbcdicTextConverter& converter, std::int32_t recordDistance)
    : file_(file),
      reader_(std::move(saveFile), sequence, file.recordLength, recordDistance),
      converter_(converter) {}

void RecordRows::reserve(std::int64_t rows) {
    if (rows > 0) {
        chunks_.reserve(static_cast<std::size_t>(rows) / kChunkRows + 1);
    }
}

void RecordRows::append(const std::uint8_t* statuses, std::size_t count) {
    while (count > 0) {
        if (chunks_.empty() || chunks_.back().size() == kChunkRows) {
            chunks_.emplace_back().reserve(kChunkRows);
        }
        std::vector<std::uint8_t>& chunk = chunks_.back();
        const std::size_t taken = std::min(count, kChunkRows - chunk.size());
        chunk.insert(chunk.end(), statuses, statuses + taken);
        statuses += taken;
        count -= taken;
        rows_ += static_cast<std::int64_t>(taken);
    }
}

int RecordRows::rowImage(std::int64_t row) const {
    if (row < 0 || row >= rowCount()) {
        return -1;
    }
    const auto at = static_cast<std::size_t>(row);
    return chunks_[at / kChunkRows][at % kChunkRows] == MemberRecordStream::kRecordStatus ? -1
                                                                                          : kRecordlessImage;
}

std::string_view RecordRows::cellText(std::int64_t row, int cell) {
    if (row < 0 || row >= rowCount() || cell < 0) {
        return {};
    }
    if (row != decodedRow_) {
        decodeRow(row);
    }
    return static_cast<std::size_t>(cell) < cells_.size()
               ? std::string_view(cells_[static_cast<std::size_t>(cell)])
               : std::string_view();
}

int RecordRows::cellCount(std::int64_t row) {
    if (row < 0 || row >= rowCount()) {
        return 0;
    }
    if (row != decodedRow_) {
        decodeRow(row);
    }
    return static_cast<int>(cells_.size());
}

void RecordRows::decodeByStoredCcsid(std::int32_t hostPage) {
    byCcsid_ = std::make_unique<FieldTextByCcsid>(hostPage, converter_);
    decodedRow_ = -1;
}

void RecordRows::decodeRow(std::int64_t row) {
    decodedRow_ = row;
    cells_.clear();
    rowFailure_.clear();
    if (rowImage(row) != -1) {
        return;
    }
    // As the listing decodes: field by field until one fails, which keeps the cells before it.
    // A slot that cannot be read again (a segment that no longer expands) shows no cells.
    try {
        const std::span<const std::uint8_t> slot = reader_.slot(row);
        if (slot.empty()) {
            rowFailure_ = "row " + std::to_string(row) + ": its slot cannot be read again";
            return;
        }
        BigEndianReader record(slot.subspan(1));
        std::string text;
        for (std::int32_t i = 0; i < file_.fieldCount; ++i) {
            const SavedField& field = file_.fields.at(static_cast<std::size_t>(i));
            if (byCcsid_ != nullptr) {
                byCcsid_->decode(record.at(field.offset, field.length), field, text);
            } else {
                decodeFieldValue(record.at(field.offset, field.length), field, converter_, text);
            }
            cells_.push_back(text);
        }
    } catch (const std::exception& failure) {
        rowFailure_ = "row " + std::to_string(row) + ", field " + std::to_string(cells_.size() + 1) + ": " +
                      failureReason(failure);
    }
}

}  // namespace quelvane
