#include "extract/MemberWriter.h"

#include <algorithm>
#include <array>
#include <string>

#include "extract/CsvRecordEncoder.h"
#include "extract/CsvWriter.h"
#include "extract/OutputFile.h"
#include "extract/RecordTexts.h"
#include "extract/SourceMemberLayout.h"
#include "savefile/DecodingFailure.h"
#include "savefile/MemberSegment.h"
#include "savefile/ReadFailure.h"
#include "savefile/SaveFileLayout.h"
#include "views/MemberRecordStream.h"

namespace quelvane {

namespace {

// The segment the walk found must still begin with its header: a file that was cut or had its
// blocks zeroed since it was opened would otherwise read as a member of deleted slots only.
void requireSegmentHeader(BlockSource& source, std::int32_t sequence) {
    BlockFile::Block header{};
    if (!BlockFile(source).read(std::int64_t{sequence} - 1, header) ||
        !std::equal(SaveFileLayout::kSegmentMarker.begin(), SaveFileLayout::kSegmentMarker.end(),
                    header.begin())) {
        throw ReadFailure(
            "block " + std::to_string(std::int64_t{sequence} - 1) +
            " no longer holds the member's segment header: the file changed since it was opened");
    }
}

void openStream(const ViewSession& session, const SavedObject& file, const SavedMember& member,
                MemberRecordStream& stream) {
    const Catalog& catalog = session.catalog;
    std::optional<std::int32_t> segment = findMemberSegment(catalog.segments, file.name, member.name);
    if (!segment) {
        throw DecodingFailure("no stored records found for the member");
    }
    const SegmentEntry& entry = catalog.segments.slot(*segment);
    std::unique_ptr<BlockSource> source = session.openSaveFile();
    if (source != nullptr && source->isOpen()) {
        requireSegmentHeader(*source, entry.sequence);
    }
    if (!stream.open(std::move(source), entry.sequence, file.recordLength, member.recordCount,
                     entry.recordDistance)) {
        throw DecodingFailure("the save file cannot be opened");
    }
}

// Undoes the member's database rows unless the member was finished.
class MemberTransaction {
  public:
    explicit MemberTransaction(SqliteWriter* database) : database_(database) {}
    ~MemberTransaction() {
        if (database_ != nullptr && !done_) {
            try {
                database_->rollbackTransaction();
            } catch (const std::exception&) {
                // The database is discarded by its owner after a failure to undo.
            }
        }
    }
    void commit() {
        if (database_ != nullptr) {
            database_->commitTransaction();
        }
        done_ = true;
    }

  private:
    SqliteWriter* database_;
    bool done_ = false;
};

// The row of the texts of a record as CsvWriter writes it.
void writeRow(CsvWriter& csv, const RecordTexts& texts, const std::vector<bool>& character) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (texts.text(i).empty() && character[i]) {
            csv.emptyText();
        } else if (texts.plain(i)) {
            csv.plainField(texts.text(i));
        } else {
            csv.field(texts.text(i));
        }
    }
    csv.endRow();
}

void requireCommitted(OutputFile& out) {
    if (!out.commit()) {
        throw std::runtime_error(out.error());
    }
}

// The change date as the six digits YYMMDD it is stored as, leading zeros kept.
std::string sixDigitDate(const std::string& plain) {
    if (plain.empty() || plain.size() >= static_cast<std::size_t>(SourceMemberLayout::kDateDigits) ||
        plain.find_first_not_of("0123456789") != std::string::npos) {
        return plain;
    }
    return std::string(static_cast<std::size_t>(SourceMemberLayout::kDateDigits) - plain.size(), '0') + plain;
}

}  // namespace

MemberWriter::MemberWriter(const ViewSession& session, PcTextToUtf8& utf8, SqliteWriter* database,
                           ProgressReporter& progress, std::atomic<std::int64_t>& bytesWritten,
                           std::int64_t membersDone, std::int64_t memberTotal)
    : session_(session),
      utf8_(utf8),
      database_(database),
      progress_(progress),
      bytesWritten_(bytesWritten),
      membersDone_(membersDone),
      memberTotal_(memberTotal) {}

bool MemberWriter::carryOn(const OutputFile& out) {
    bytesWritten_ += out.bytesWritten() - counted_;
    counted_ = out.bytesWritten();
    progress_.progress(membersDone_, memberTotal_);
    return !progress_.cancelled();
}

std::optional<std::int64_t> MemberWriter::writeData(const SavedObject& file, const SavedMember& member,
                                                    const OutputFolder& root,
                                                    const std::filesystem::path& relative,
                                                    const std::string& table, const SqlTable& columns) {
    MemberRecordStream stream;
    openStream(session_, file, member, stream);
    RecordTexts texts(file, session_.converter, utf8_, byCcsid_, columns.columnNames());
    std::vector<bool> character;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        character.push_back(i < columns.columns().size() && columns.columns()[i].character);
    }
    OutputFile out;
    counted_ = 0;
    if (!out.open(root, relative)) {
        throw std::runtime_error(out.error());
    }
    CsvWriter csv(out);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        csv.field(texts.name(i));
    }
    csv.endRow();
    MemberTransaction transaction(database_);
    if (database_ != nullptr) {
        database_->beginDataMember(table, texts);
    }
    // The texts are needed only for the records the encoder declines, and for the database
    // where a value is not in the row as it is.
    CsvRecordEncoder encoder(file, texts.size(), texts.byteTable(), byCcsid_, character);
    std::span<const LoadedValue> values;
    std::int64_t rows = 0;
    while (std::optional<MemberRecordStream::Slot> slot = stream.nextSlot()) {
        if (stream.slotsRead() % kCancelCheckInterval == 0 && !carryOn(out)) {
            return std::nullopt;
        }
        if (!slot->holdsRecord()) {
            continue;
        }
        ++rows;
        if (encoder.encode(slot->record, out)) {
            if (database_ != nullptr && encoder.values(values)) {
                database_->insertValues(values);
            } else if (database_ != nullptr) {
                texts.decode(slot->record);
                database_->insertRecord(texts);
            }
            continue;
        }
        texts.decode(slot->record);
        writeRow(csv, texts, character);
        if (database_ != nullptr) {
            database_->insertRecord(texts);
        }
    }
    requireCommitted(out);
    replaced_ = out.replaced();
    bytesWritten_ += out.bytesWritten() - counted_;
    counted_ = 0;
    transaction.commit();
    return rows;
}

std::optional<std::int64_t> MemberWriter::writeSource(const SavedObject& file, const SavedMember& member,
                                                      const OutputFolder& root,
                                                      const std::filesystem::path& relative,
                                                      SourceLineRow lineRow) {
    MemberRecordStream stream;
    openStream(session_, file, member, stream);
    RecordTexts texts(file, session_.converter, utf8_, byCcsid_);
    OutputFile out;
    counted_ = 0;
    if (!out.open(root, relative)) {
        throw std::runtime_error(out.error());
    }
    MemberTransaction transaction(database_);
    if (database_ != nullptr) {
        database_->beginTransaction();
    }
    std::int64_t lines = 0;
    while (std::optional<MemberRecordStream::Slot> slot = stream.nextSlot()) {
        if (stream.slotsRead() % kCancelCheckInterval == 0 && !carryOn(out)) {
            return std::nullopt;
        }
        if (!slot->holdsRecord()) {
            continue;
        }
        texts.decode(slot->record);
        const std::string& text = texts.text(SourceMemberLayout::kTextField);
        out.write(text);
        out.put('\n');
        ++lines;
        if (database_ != nullptr || lineObserver_) {
            lineRow.line = lines;
            lineRow.sequence = texts.text(SourceMemberLayout::kSequenceField);
            lineRow.date = sixDigitDate(texts.text(SourceMemberLayout::kDateField));
            lineRow.text = text;
        }
        if (database_ != nullptr) {
            database_->insertSourceLine(lineRow);
        }
        if (lineObserver_) {
            lineObserver_(lineRow);
        }
    }
    requireCommitted(out);
    replaced_ = out.replaced();
    bytesWritten_ += out.bytesWritten() - counted_;
    counted_ = 0;
    transaction.commit();
    return lines;
}

}  // namespace quelvane
