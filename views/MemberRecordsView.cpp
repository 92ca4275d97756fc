#include "views/MemberRecordsView.h"

#include <algorithm>
#include <charconv>
#include <exception>
#include <vector>

#include "savefile/BigEndianReader.h"
#include "savefile/MemberSegment.h"
#include "savefile/SegmentExpansionFailure.h"
#include "views/FieldDecoder.h"
#include "views/MemberRecordStream.h"

namespace quelvane {

namespace {

constexpr int kRecordlessImage = 1;
constexpr int kNumericWidthPerByte = 18;
constexpr int kTextWidthPerByte = 12;
constexpr std::int32_t kLastSegmentSlot = SegmentTable::kCapacity - 1;

constexpr const char* kMaxErrorMessage = " Max Error! ";
constexpr const char* kReadingErrorMessage = "Error:during reading records";

void addColumns(ContentList& list, const SavedObject& file) {
    list.addColumn("", ContentList::kDefaultColumnWidth, ContentList::Alignment::Left,
                   ContentList::Sizing::Fixed);
    for (std::int32_t i = 0; i < file.fieldCount; ++i) {
        const SavedField& field = file.fields.at(static_cast<std::size_t>(i));
        bool numeric = isNumericFieldType(field.typeCode);
        list.addColumn(field.name, (numeric ? kNumericWidthPerByte : kTextWidthPerByte) * field.length,
                       numeric ? ContentList::Alignment::Right : ContentList::Alignment::Left,
                       ContentList::Sizing::Fixed);
    }
}

// Decodes the fields of one record slot into cells of the current row, reusing one text's
// storage for every field. A field reaching past the record is a decoding failure.
class RecordDecoder {
  public:
    RecordDecoder(const SavedObject& file, EbcdicTextConverter& converter)
        : file_(file), converter_(converter) {}

    void addCells(ContentList& list, std::span<const std::uint8_t> record) {
        BigEndianReader slot(record);
        for (std::int32_t i = 0; i < file_.fieldCount; ++i) {
            const SavedField& field = file_.fields[static_cast<std::size_t>(i)];
            decodeFieldValue(slot.at(field.offset, field.length), field, converter_, text_);
            list.appendCell(text_);
        }
    }

  private:
    const SavedObject& file_;
    EbcdicTextConverter& converter_;
    std::string text_;
};

}  // namespace

ViewOutcome showMemberRecords(ViewSession& session, NodeContentTarget& target, MemberRef ref) {
    const std::int32_t partIndex = ref.part;
    const std::int32_t objectIndex = ref.object;
    const std::int32_t memberIndex = ref.member;
    target.enableExport(true);
    target.enableBatch(true);
    ShownMember& shown = session.shownMember;
    if (partIndex == shown.partIndex && objectIndex == shown.objectIndex &&
        memberIndex == shown.memberIndex && memberIndex != 0 && !shown.stale) {
        return ViewOutcome::Shown;
    }
    ContentList& list = session.list;
    try {
        shown.partIndex = partIndex;
        shown.objectIndex = objectIndex;
        shown.memberIndex = memberIndex;
        list.clearColumns();
        list.clearRows();
        const SavedObject& file = session.catalog.objectAt(ref.file());
        const SavedMember& member = session.catalog.memberAt(ref);
        shown.recordLength = file.recordLength;
        shown.stale = false;
        addColumns(list, file);

        std::unique_ptr<BlockSource> saveFile = session.openSaveFile();
        if (saveFile == nullptr || !saveFile->isOpen()) {
            throw DecodingFailure("save file cannot be opened");
        }
        std::optional<std::int32_t> segment =
            findMemberSegment(session.catalog.segments, file.name, member.name);
        if (!segment || *segment == kLastSegmentSlot) {
            session.notifier.message(kMaxErrorMessage);
        }
        if (!segment) {
            return ViewOutcome::Failed;
        }
        MemberRecordStream stream;
        stream.open(std::move(saveFile), session.catalog.segments.slot(*segment).sequence, file.recordLength,
                    member.recordCount);
        RecordDecoder decoder(file, session.converter);
        char caption[24];
        for (std::int64_t row = 0;; ++row) {
            std::optional<MemberRecordStream::Slot> slot = stream.nextSlot();
            if (!slot) {
                break;
            }
            char* end = std::to_chars(caption, caption + sizeof caption, row).ptr;
            list.addRow(std::string_view(caption, static_cast<std::size_t>(end - caption)),
                        slot->holdsRecord() ? ContentList::kNoImage : kRecordlessImage);
            if (slot->holdsRecord()) {
                decoder.addCells(list, slot->record);
            }
        }
        return ViewOutcome::Shown;
    } catch (const std::exception& failure) {
        session.notifier.message(kReadingErrorMessage);
        reportExpansionFailure(session.notifier, failure);
        return ViewOutcome::Failed;
    }
}

}  // namespace quelvane
