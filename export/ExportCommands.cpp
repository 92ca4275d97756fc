#include "export/ExportCommands.h"

#include <exception>
#include <filesystem>
#include <functional>
#include <set>
#include <system_error>
#include <utility>

#include "export/ExcelExportWriter.h"
#include "export/ExportFileNames.h"
#include "export/TextExportWriter.h"
#include "export/WordExportWriter.h"
#include "savefile/CatalogTree.h"
#include "savefile/ObjectKinds.h"

namespace quelvane {

namespace {

constexpr int kMemberLevel = 3;
constexpr int kObjectLevel = 2;
constexpr int kPartLevel = 1;

constexpr const char* kNotAMember = "Please choose a  PF member!";
constexpr const char* kNotAMemberCaption = "Pick Out";
constexpr const char* kSaveFailure = "Save to file error";
constexpr const char* kNotAFile = "Please choose a PF!";
constexpr const char* kNotAFileCaption = "Pick out in batch";
constexpr const char* kMemberNotOfAFile = "Please choice a PF!";
constexpr const char* kMemberNotOfAFileCaption = "Pick Out in batch";

bool isPhysicalFile(const SavedObject* object) {
    return object != nullptr && quelvane::isPhysicalFile(*object);
}

std::string decimal(std::int64_t value) {
    return std::to_string(value);
}

// Puts `keepGoing` in the session for one run and the caller's back when the run ends, however
// it ends.
class KeepGoingScope {
  public:
    KeepGoingScope(ExportSession& session, std::function<bool()> keepGoing)
        : session_(session), saved_(std::exchange(session.keepGoing, std::move(keepGoing))) {}
    ~KeepGoingScope() { session_.keepGoing = std::move(saved_); }
    KeepGoingScope(const KeepGoingScope&) = delete;
    KeepGoingScope& operator=(const KeepGoingScope&) = delete;

  private:
    ExportSession& session_;
    std::function<bool()> saved_;
};

// `name`, or when this run gave it out already (letter case aside, as the file systems batch
// output is often copied to compare names), "stem_2.ext", "stem_3.ext" and so on: a member never
// replaces the file of another member of the same run.
std::string freeName(std::set<std::string>& given, const std::string& name) {
    const auto folded = [](std::string text) {
        for (char& c : text) {
            c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        }
        return text;
    };
    const std::size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    std::string candidate = name;
    for (int suffix = 2; given.contains(folded(candidate)); ++suffix) {
        candidate = stem + "_" + std::to_string(suffix) + extension;
    }
    given.insert(folded(candidate));
    return candidate;
}

// The folder the batch dialog offers first: the session's program folder, else the process's
// current one (read, never changed). A current folder that is gone offers an empty box.
std::string batchStartFolder(const ExportSession& session) {
    if (!session.programDirectory.empty()) {
        return session.programDirectory;
    }
    std::error_code unknown;
    const std::filesystem::path current = std::filesystem::current_path(unknown);
    return unknown ? std::string() : current.string();
}

// Says how many characters the run could not write in the PC page and where the first stands.
void reportTextLoss(ExportSession& session, bool withMember) {
    const std::string text = session.textLoss.message(session.pcCodePage, withMember);
    if (!text.empty()) {
        session.views.notifier.message(text);
    }
}

ExportOutcome writeFileMembers(ExportSession& session, ObjectRef file, ExportFormat format,
                               const std::string& directory, const BatchProgress& progress,
                               std::vector<std::string>* renamed);

}  // namespace

ExportOutcome writeMemberExport(ExportSession& session, ExportFormat format, MemberRef member,
                                const std::string& path) {
    switch (format) {
        case ExportFormat::Word:
            return writeWordExport(session, member, path);
        case ExportFormat::Excel:
            return writeExcelExport(session, member, path);
        case ExportFormat::Text:
            break;
    }
    return writeTextExport(session, member, path);
}

std::optional<MemberRef> exportableMember(ExportSession& session, const std::optional<NodePosition>& node) {
    Notifier& notifier = session.views.notifier;
    if (!node || node->level != kMemberLevel) {
        notifier.error(kNotAMember, kNotAMemberCaption);
        return std::nullopt;
    }
    const MemberRef ref{node->grandparentIndex, node->parentIndex, node->index};
    if (!isPhysicalFile(session.views.catalog.findObject(ref.file())) ||
        session.views.catalog.findMember(ref) == nullptr) {
        notifier.error(kNotAMember, kNotAMemberCaption);
        return std::nullopt;
    }
    return ref;
}

ExportOutcome exportMember(ExportSession& session, MemberRef member, ExportFormat format,
                           const std::string& path) {
    session.textLoss.clear();
    try {
        const ExportOutcome outcome = writeMemberExport(session, format, member, path);
        reportTextLoss(session, false);
        return outcome;
    } catch (const std::exception&) {
        session.views.notifier.message(kSaveFailure);
        return ExportOutcome::Failed;
    }
}

std::optional<ExportOutcome> exportMemberCommand(ExportSession& session,
                                                 const std::optional<NodePosition>& node,
                                                 ExportFileDialog& dialog) {
    const std::optional<MemberRef> ref = exportableMember(session, node);
    if (!ref) {
        return std::nullopt;
    }
    const Catalog& catalog = session.views.catalog;
    std::string fileName =
        session.memberFileName(catalog.objectAt(ref->file()).name, catalog.memberAt(*ref).name);
    int filterIndex = 1;
    if (!dialog.execute(fileName, filterIndex)) {
        return std::nullopt;
    }
    const ExportFormat format = exportFormatOfFilter(filterIndex);
    if (filterIndex == kUtf8TextFilterIndex) {
        session.textEncoding = ExportTextEncoding::Utf8;
    }
    fileName = ExportFileNames::replaceExtension(fileName, ExportFileNames::extensionOf(format));
    dialog.setFileName(fileName);
    return exportMember(session, *ref, format, fileName);
}

std::optional<ObjectRef> batchFile(ExportSession& session, const std::optional<NodePosition>& node) {
    Notifier& notifier = session.views.notifier;
    const Catalog& catalog = session.views.catalog;
    ShownMember& shown = session.views.shownMember;
    ObjectRef file{shown.partIndex, shown.objectIndex};
    if (!node || node->level == kPartLevel) {
        notifier.error(kNotAFile, kNotAFileCaption);
        return std::nullopt;
    }
    if (node->level == kObjectLevel) {
        file = {node->parentIndex, node->index};
        if (!isPhysicalFile(catalog.findObject(file))) {
            notifier.error(kNotAFile, kNotAFileCaption);
            return std::nullopt;
        }
    } else if (node->level == kMemberLevel) {
        file = {node->grandparentIndex, node->parentIndex};
        if (!isPhysicalFile(catalog.findObject(file))) {
            notifier.error(kMemberNotOfAFile, kMemberNotOfAFileCaption);
            return std::nullopt;
        }
    }
    // The library node keeps the file recorded last; one that is not in this catalog is refused
    // rather than read.
    if (catalog.findObject(file) == nullptr) {
        notifier.error(kNotAFile, kNotAFileCaption);
        return std::nullopt;
    }
    shown.partIndex = file.part;
    shown.objectIndex = file.object;
    shown.memberIndex = -1;
    return file;
}

bool exportBatchCommand(ExportSession& session, const std::optional<NodePosition>& node,
                        BatchExportTarget& dialog) {
    const std::optional<ObjectRef> file = batchFile(session, node);
    if (!file) {
        return false;
    }
    const Catalog& catalog = session.views.catalog;
    const SavedObject& object = catalog.objectAt(*file);
    BatchExportTarget::Contents contents;
    contents.file = *file;
    contents.libraryName = catalog.parts[static_cast<std::size_t>(file->part)].library.name;
    contents.fileName = object.name;
    contents.memberCount = decimal(shownMemberCount(object));
    contents.directory = batchStartFolder(session);
    dialog.fill(contents);
    dialog.showDialog();
    return true;
}

ExportOutcome exportFileMembers(ExportSession& session, ObjectRef file, ExportFormat format,
                                const std::string& directory, const BatchProgress& progress,
                                std::vector<std::string>* renamed) {
    session.textLoss.clear();
    const ExportOutcome outcome = writeFileMembers(session, file, format, directory, progress, renamed);
    reportTextLoss(session, true);
    return outcome;
}

namespace {

ExportOutcome writeFileMembers(ExportSession& session, ObjectRef file, ExportFormat format,
                               const std::string& directory, const BatchProgress& progress,
                               std::vector<std::string>* renamed) {
    std::set<std::string> given;
    const Catalog& catalog = session.views.catalog;
    const SavedObject* first = catalog.findObject(file);
    const std::string fileName = first != nullptr ? first->name : std::string();
    const std::string extension = ExportFileNames::extensionOf(format);
    // Once the caller's keepGoing has said no, every later question gets no as well, and a
    // member whose pass was told so is known to be cut short.
    bool refused = false;
    const std::function<bool()> asked = session.keepGoing;
    std::function<bool()> remembered;
    if (asked) {
        remembered = [&refused, &asked] {
            refused = refused || !asked();
            return !refused;
        };
    }
    const KeepGoingScope scope(session, std::move(remembered));
    ExportOutcome outcome = ExportOutcome::Written;
    // A writer may let the user interface run, and an Open accepted meanwhile replaces the
    // catalog: the file is looked up again for every member, and the run ends when it is gone.
    for (std::int32_t m = 0; first != nullptr; ++m) {
        const SavedObject* object = catalog.findObject(file);
        if (object == nullptr || object->name != fileName || m >= shownMemberCount(*object) ||
            static_cast<std::size_t>(m) >= object->members.size()) {
            break;
        }
        const std::string library = catalog.parts[static_cast<std::size_t>(file.part)].library.name;
        const std::string member = object->members[static_cast<std::size_t>(m)].name;
        const std::string wanted =
            ExportFileNames::replaceExtension(session.memberFileName(fileName, member), extension);
        const std::string name = freeName(given, wanted);
        if (name != wanted && renamed != nullptr) {
            renamed->push_back(library + "/" + fileName + "(" + member + ") written as " +
                               session.pcText(name));
        }
        const std::string path = directory + ExportFileNames::kSeparator + name;
        progress("Converting  " + library + "/" + fileName + "(" + member + ")", m,
                 shownMemberCount(*object));
        if (session.keepGoing && !session.keepGoing()) {
            return ExportOutcome::Cancelled;
        }
        if (writeMemberExport(session, format, {file.part, file.object, m}, path) == ExportOutcome::Failed) {
            outcome = ExportOutcome::Failed;
        }
        if (refused) {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
            return ExportOutcome::Cancelled;
        }
    }
    return outcome;
}

}  // namespace

ExportOutcome runBatchExport(ExportSession& session, BatchExportTarget& dialog) {
    struct ProgressEnd {
        BatchExportTarget& dialog;
        ~ProgressEnd() { dialog.endProgress(); }
    };
    const KeepGoingScope scope(session, [&dialog] { return !dialog.cancelRequested(); });
    const ProgressEnd progressEnd{dialog};
    std::vector<std::string> renamed;
    const ExportOutcome outcome = exportFileMembers(
        session, dialog.chosenFile(), dialog.fileType(), dialog.directory(),
        [&dialog](const std::string& text, std::int32_t done, std::int32_t total) {
            dialog.setStatusText(text);
            dialog.showProgress(done, total);
        },
        &renamed);
    dialog.closeDialog();
    if (!renamed.empty()) {
        std::string text = "Members of the same name were written under other names:";
        for (const std::string& line : renamed) {
            text += "\n" + line;
        }
        session.views.notifier.message(text);
    }
    return outcome;
}

}  // namespace quelvane
