#include "export/ServerRecordLoop.h"

#include <exception>
#include <optional>

#include "export/ExportFieldDecoder.h"
#include "export/ExportRecordPass.h"
#include "savefile/SegmentExpansionFailure.h"

namespace quelvane {

bool writeServerRecords(ExportSession& session, MemberRef member, const char* failureText,
                        const char* caption, const ServerRowStart& startRow, const ServerCellPut& putCell) {
    const SavedObject& file = session.views.catalog.objectAt(member.file());
    ExportRecordPass pass;
    pass.setKeepGoing(session.keepGoing);
    session.views.failureCause.clear();
    try {
        ExportFieldDecoder fields(session, session.views.catalog.memberAt(member).name);
        pass.open(session.views, member);
        std::string text;
        std::u16string unicode;
        while (const std::optional<ExportRecordPass::Slot> slot = pass.next()) {
            if (!slot->holdsRecord()) {
                continue;
            }
            // Row numbers past what an unsigned 32-bit row can say are the server's to refuse.
            const auto row = static_cast<std::uint32_t>(slot->number + 2);
            if (startRow && file.fieldCount > 0) {
                startRow(row);
            }
            fields.startRecord(slot->number + 1);
            for (std::int32_t j = 0; j < file.fieldCount; ++j) {
                const bool wide = fields.decodeCell(slot->record, file.fields.at(static_cast<std::size_t>(j)),
                                                    text, unicode);
                putCell(row, j + 1, text, wide ? &unicode : nullptr);
            }
        }
        pass.close();
        return true;
    } catch (const std::exception& failure) {
        pass.close();
        session.views.notifier.error(failureText, caption);
        reportExpansionFailure(session.views.notifier, failure);
        session.views.keepFailureCause(failure);
        return false;
    }
}

}  // namespace quelvane
