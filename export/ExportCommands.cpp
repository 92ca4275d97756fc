#include "export/ExportCommands.h"

#include <charconv>
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

const SavedObject* findObject(const Catalog& catalog, std::int32_t partIndex, std::int32_t objectIndex) {
    if (partIndex < 0 || objectIndex < 0 || static_cast<std::size_t>(partIndex) >= catalog.parts.size()) {
        return nullptr;
    }
    const auto& objects = catalog.parts[static_cast<std::size_t>(partIndex)].library.objects;
    return static_cast<std::size_t>(objectIndex) < objects.size()
               ? &objects[static_cast<std::size_t>(objectIndex)]
               : nullptr;
}

bool isPhysicalFile(const SavedObject* object) {
    return object != nullptr && object->attribute == kPhysicalFile;
}

std::string decimal(std::int64_t value) {
    return std::to_string(value);
}

std::optional<std::int32_t> parseIndex(const std::string& text) {
    std::int32_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

ExportOutcome writeMemberExport(ExportSession& session, int filterIndex, std::int32_t partIndex,
                                std::int32_t objectIndex, std::int32_t memberIndex, const std::string& path) {
    switch (filterIndex) {
        case kWordFilter:
            return writeWordExport(session, partIndex, objectIndex, memberIndex, path);
        case kExcelFilter:
            return writeExcelExport(session, partIndex, objectIndex, memberIndex, path);
        default:
            return writeTextExport(session, partIndex, objectIndex, memberIndex, path);
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
    const SavedObject* object = findObject(session.views.catalog, node->grandparentIndex, node->parentIndex);
    if (!isPhysicalFile(object) || node->index < 0 ||
        static_cast<std::size_t>(node->index) >= object->members.size()) {
        notifier.error(kNotAMember, kNotAMemberCaption);
        return std::nullopt;
    }
    std::string fileName =
        session.memberFileName(object->name, object->members[static_cast<std::size_t>(node->index)].name);
    int filterIndex = 1;
    if (!dialog.execute(fileName, filterIndex)) {
        return std::nullopt;
    }
    fileName = ExportFileNames::replaceExtension(fileName, ExportFileNames::extensionOfFilter(filterIndex));
    dialog.setFileName(fileName);
    try {
        return writeMemberExport(session, filterIndex, node->grandparentIndex, node->parentIndex, node->index,
                                 fileName);
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
    std::int32_t partIndex = shown.partIndex;
    std::int32_t objectIndex = shown.objectIndex;
    if (!node || node->level == kPartLevel) {
        notifier.error(kNotAFile, kNotAFileCaption);
        return false;
    }
    if (node->level == kObjectLevel) {
        partIndex = node->parentIndex;
        objectIndex = node->index;
        if (!isPhysicalFile(findObject(catalog, partIndex, objectIndex))) {
            notifier.error(kNotAFile, kNotAFileCaption);
            return false;
        }
    } else if (node->level == kMemberLevel) {
        partIndex = node->grandparentIndex;
        objectIndex = node->parentIndex;
        if (!isPhysicalFile(findObject(catalog, partIndex, objectIndex))) {
            notifier.error(kMemberNotOfAFile, kMemberNotOfAFileCaption);
            return false;
        }
    }
    // The library node keeps the file recorded last; one that is not in this catalog is refused
    // rather than read.
    const SavedObject* object = findObject(catalog, partIndex, objectIndex);
    if (object == nullptr) {
        notifier.error(kNotAFile, kNotAFileCaption);
        return false;
    }
    shown.partIndex = partIndex;
    shown.objectIndex = objectIndex;
    shown.memberIndex = -1;

    std::error_code ignored;
    BatchExportTarget::Contents contents;
    contents.partIndex = decimal(partIndex);
    contents.objectIndex = decimal(objectIndex);
    contents.libraryName = catalog.parts[static_cast<std::size_t>(partIndex)].library.name;
    contents.fileName = object->name;
    contents.memberCount = decimal(object->memberCount);
    contents.directory = std::filesystem::current_path(ignored).string();
    dialog.fill(contents);
    dialog.showDialog();
    return true;
}

ExportOutcome runBatchExport(ExportSession& session, BatchExportTarget& dialog) {
    const Catalog& catalog = session.views.catalog;
    const std::optional<std::int32_t> partIndex = parseIndex(dialog.partIndexText());
    const std::optional<std::int32_t> objectIndex = parseIndex(dialog.objectIndexText());
    const SavedObject* first =
        partIndex && objectIndex ? findObject(catalog, *partIndex, *objectIndex) : nullptr;
    const std::string fileName = first != nullptr ? first->name : std::string();
    const int filterIndex = dialog.fileType() + 1;
    const std::string extension = ExportFileNames::extensionOfFilter(filterIndex);
    ExportOutcome outcome = ExportOutcome::Written;
    // A writer may let the user interface run, and an Open accepted meanwhile replaces the
    // catalog: the file is looked up again for every member, and the run ends when it is gone.
    for (std::int32_t m = 0; first != nullptr; ++m) {
        const SavedObject* object = findObject(catalog, *partIndex, *objectIndex);
        if (object == nullptr || object->name != fileName || m >= object->memberCount ||
            static_cast<std::size_t>(m) >= object->members.size()) {
            break;
        }
        const std::string library = catalog.parts[static_cast<std::size_t>(*partIndex)].library.name;
        const std::string member = object->members[static_cast<std::size_t>(m)].name;
        const std::string path = ExportFileNames::replaceExtension(
            dialog.directory() + ExportFileNames::kSeparator + session.memberFileName(fileName, member),
            extension);
        dialog.setStatusText("Converting  " + library + "/" + fileName + "(" + member + ")");
        if (writeMemberExport(session, filterIndex, *partIndex, *objectIndex, m, path) ==
            ExportOutcome::Failed) {
            outcome = ExportOutcome::Failed;
        }
    }
    dialog.closeDialog();
    return outcome;
}

}  // namespace quelvane
