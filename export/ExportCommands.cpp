#include "export/ExportCommands.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "export/ExcelExportWriter.h"
#include "export/ExportFileNames.h"
#include "export/TextExportWriter.h"
#include "export/WordExportWriter.h"

namespace quelvane {

namespace {

constexpr int kWordFilter = 2;
constexpr int kExcelFilter = 3;
constexpr int kMemberLevel = 3;
constexpr int kObjectLevel = 2;
constexpr int kPartLevel = 1;

constexpr const char* kPhysicalFile = "PF";
constexpr const char* kNotAMember = "Please choose a  PF member!";
constexpr const char* kNotAMemberCaption = "Pick Out";
constexpr const char* kSaveFailure = "Save to file error";
constexpr const char* kNotAFile = "Please choose a PF!";
constexpr const char* kNotAFileCaption = "Pick out in batch";
constexpr const char* kMemberNotOfAFile = "Please choice a PF!";
constexpr const char* kMemberNotOfAFileCaption = "Pick Out in batch";

bool isPhysicalFile(const SavedObject* object) {
    return object != nullptr && object->attribute == kPhysicalFile;
}

std::string decimal(std::int64_t value) {
    return std::to_string(value);
}

}  // namespace

ExportOutcome writeMemberExport(ExportSession& session, int filterIndex, MemberRef member,
                                const std::string& path) {
    switch (filterIndex) {
        case kWordFilter:
            return writeWordExport(session, member, path);
        case kExcelFilter:
            return writeExcelExport(session, member, path);
        default:
            return writeTextExport(session, member, path);
    }
}

std::optional<ExportOutcome> exportMemberCommand(ExportSession& session,
                                                 const std::optional<NodePosition>& node,
                                                 ExportFileDialog& dialog) {
    Notifier& notifier = session.views.notifier;
    if (!node || node->level != kMemberLevel) {
        notifier.error(kNotAMember, kNotAMemberCaption);
        return std::nullopt;
    }
    const MemberRef ref{node->grandparentIndex, node->parentIndex, node->index};
    const SavedObject* object = session.views.catalog.findObject(ref.file());
    const SavedMember* member = session.views.catalog.findMember(ref);
    if (!isPhysicalFile(object) || member == nullptr) {
        notifier.error(kNotAMember, kNotAMemberCaption);
        return std::nullopt;
    }
    std::string fileName = ExportFileNames::memberFileName(object->name, member->name);
    int filterIndex = 1;
    if (!dialog.execute(fileName, filterIndex)) {
        return std::nullopt;
    }
    fileName = ExportFileNames::replaceExtension(fileName, ExportFileNames::extensionOfFilter(filterIndex));
    dialog.setFileName(fileName);
    try {
        return writeMemberExport(session, filterIndex, ref, fileName);
    } catch (const std::exception&) {
        notifier.message(kSaveFailure);
        return ExportOutcome::Failed;
    }
}

bool exportBatchCommand(ExportSession& session, const std::optional<NodePosition>& node,
                        BatchExportTarget& dialog) {
    Notifier& notifier = session.views.notifier;
    const Catalog& catalog = session.views.catalog;
    ShownMember& shown = session.views.shownMember;
    ObjectRef file{shown.partIndex, shown.objectIndex};
    if (!node || node->level == kPartLevel) {
        notifier.error(kNotAFile, kNotAFileCaption);
        return false;
    }
    if (node->level == kObjectLevel) {
        file = {node->parentIndex, node->index};
        if (!isPhysicalFile(catalog.findObject(file))) {
            notifier.error(kNotAFile, kNotAFileCaption);
            return false;
        }
    } else if (node->level == kMemberLevel) {
        file = {node->grandparentIndex, node->parentIndex};
        if (!isPhysicalFile(catalog.findObject(file))) {
            notifier.error(kMemberNotOfAFile, kMemberNotOfAFileCaption);
            return false;
        }
    }
    // The library node keeps the file recorded last; one that is not in this catalog is refused
    // rather than read.
    const SavedObject* object = catalog.findObject(file);
    if (object == nullptr) {
        notifier.error(kNotAFile, kNotAFileCaption);
        return false;
    }
    shown.partIndex = file.part;
    shown.objectIndex = file.object;
    shown.memberIndex = -1;

    std::error_code ignored;
    BatchExportTarget::Contents contents;
    contents.file = file;
    contents.libraryName = catalog.parts[static_cast<std::size_t>(file.part)].library.name;
    contents.fileName = object->name;
    contents.memberCount = decimal(object->memberCount);
    contents.directory = session.pcPath(std::filesystem::current_path(ignored).string());
    dialog.fill(contents);
    dialog.showDialog();
    return true;
}

ExportOutcome runBatchExport(ExportSession& session, BatchExportTarget& dialog) {
    const Catalog& catalog = session.views.catalog;
    const ObjectRef file = dialog.chosenFile();
    const SavedObject* object = catalog.findObject(file);
    ExportOutcome outcome = ExportOutcome::Written;
    if (object != nullptr) {
        const std::string& library = catalog.parts[static_cast<std::size_t>(file.part)].library.name;
        const int filterIndex = dialog.fileType() + 1;
        const std::string extension = ExportFileNames::extensionOfFilter(filterIndex);
        for (std::int32_t m = 0;
             m < object->memberCount && static_cast<std::size_t>(m) < object->members.size(); ++m) {
            const std::string& member = object->members[static_cast<std::size_t>(m)].name;
            const std::string path =
                ExportFileNames::replaceExtension(dialog.directory() + ExportFileNames::kSeparator +
                                                      ExportFileNames::memberFileName(object->name, member),
                                                  extension);
            dialog.setStatusText("Converting  " + library + "/" + object->name + "(" + member + ")");
            if (writeMemberExport(session, filterIndex, {file.part, file.object, m}, path) ==
                ExportOutcome::Failed) {
                outcome = ExportOutcome::Failed;
            }
        }
    }
    dialog.closeDialog();
    return outcome;
}

}  // namespace quelvane
