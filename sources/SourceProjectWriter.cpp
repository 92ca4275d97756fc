#include "sources/SourceProjectWriter.h"

#include <algorithm>
#include <exception>
#include <map>

#include "extract/MemberWriter.h"
#include "extract/OutputFile.h"
#include "extract/SourceMemberLayout.h"
#include "savefile/FailureReason.h"
#include "savefile/ObjectKinds.h"
#include "savefile/TypeCodes.h"
#include "sources/SourceNames.h"
#include "views/ClSourceView.h"

namespace quelvane {

namespace {

constexpr const char* kClSourceFile = "QCLSRC";
constexpr const char* kProgramExtension = ".clp";
constexpr const char* kUntypedExtension = ".mbr";
constexpr std::uint16_t kLibraryObjectType = 0x0401;

template <typename T>
std::size_t countOf(const std::vector<T>& items, std::int32_t stated) {
    return std::min(items.size(), static_cast<std::size_t>(std::max(stated, 0)));
}

std::string trimmedRight(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "/" + name;
}

bool isSourceFile(const SavedObject& object) {
    return isPhysicalFile(object) && SourceMemberLayout::matches(object);
}

}  // namespace

struct SourceProjectWriter::Folder {
    // Null for a folder only CL programs go to.
    const SavedObject* file = nullptr;
    std::string fileName;
    std::string name;
    std::vector<const SavedObject*> programs;
    std::vector<SourceNames::Given> names;
};

struct SourceProjectWriter::Library {
    explicit Library(const std::string& libraryName) : manifest(libraryName) {}
    std::vector<std::size_t> parts;
    std::vector<Folder> folders;
    std::vector<const SavedObject*> programs;
    std::string description;
    SourceManifest manifest;
    SourceLibraryOutcome outcome;
};

SourceProjectWriter::SourceProjectWriter(const Catalog& catalog, EbcdicTextConverter& converter,
                                         std::int32_t pcCodePage, std::int32_t hostPage)
    : catalog_(catalog),
      session_(catalog, converter, notifier_, list_),
      utf8_(pcCodePage),
      pcCodePage_(pcCodePage),
      byCcsid_(hostPage, converter),
      texts_(catalog, hostPage, pcCodePage) {}

SourceProjectWriter::~SourceProjectWriter() = default;

std::vector<std::string> SourceProjectWriter::libraries(const Catalog& catalog, std::int32_t pcCodePage) {
    PcTextToUtf8 utf8(pcCodePage);
    std::vector<std::string> names;
    for (const SavedPart& part : catalog.parts) {
        const std::string name = utf8.toUtf8(part.library.name);
        if (std::find(names.begin(), names.end(), name) == names.end()) {
            names.push_back(name);
        }
    }
    return names;
}

std::int64_t SourceProjectWriter::memberTotal(const Catalog& catalog) {
    std::int64_t total = 0;
    for (const SavedPart& part : catalog.parts) {
        for (std::size_t j = 0; j < countOf(part.library.objects, part.library.objectCount); ++j) {
            const SavedObject& object = part.library.objects[j];
            if (isSourceFile(object)) {
                total += static_cast<std::int64_t>(countOf(object.members, object.memberCount));
            }
        }
    }
    return total;
}

SourceProjectOutcome SourceProjectWriter::write(const OutputFolder& root, const FolderOf& folderOf,
                                                const SourceProjectOptions& options,
                                                ProgressReporter& progress) {
    root_ = &root;
    options_ = &options;
    progress_ = &progress;
    outcome_ = SourceProjectOutcome();
    membersDone_ = 0;
    memberTotal_ = memberTotal(catalog_);
    progress.progress(0, memberTotal_);
    std::map<std::string, std::vector<std::size_t>> partsOf;
    for (std::size_t i = 0; i < catalog_.parts.size(); ++i) {
        partsOf[utf8(catalog_.parts[i].library.name)].push_back(i);
    }
    for (const std::string& name : libraries(catalog_, pcCodePage_)) {
        if (outcome_.cancelled) {
            break;
        }
        Library library(name);
        library.parts = partsOf[name];
        library.outcome.library = name;
        library.outcome.folder = folderOf(name);
        planFolders(library);
        for (Folder& folder : library.folders) {
            if (!outcome_.cancelled) {
                writeFolder(library, folder);
            }
        }
        if (!outcome_.cancelled) {
            writeLibraryFiles(library);
        }
        outcome_.libraries.push_back(std::move(library.outcome));
    }
    return outcome_;
}

// Source files each have a folder; CL programs go to the folder of QCLSRC, made for them where
// the library has no such file.
void SourceProjectWriter::planFolders(Library& library) {
    std::vector<std::string> names;
    const std::string libraryName = library.outcome.library;
    for (std::size_t part : library.parts) {
        const SavedLibrary& saved = catalog_.parts[part].library;
        for (std::size_t j = 0; j < countOf(saved.objects, saved.objectCount); ++j) {
            const SavedObject& object = saved.objects[j];
            const std::string name = utf8(object.name);
            if (isSourceFile(object)) {
                library.folders.push_back({&object, name, "", {}, {}});
                names.push_back(name);
            } else if (isPhysicalFile(object)) {
                library.manifest.addDataFile(name);
            } else if (isClProgram(object)) {
                library.programs.push_back(&object);
            } else if (object.typeCode == kLibraryObjectType && name == libraryName) {
                library.description = texts_.objectText(object);
            }
        }
    }
    if (!library.programs.empty()) {
        auto found = std::find(names.begin(), names.end(), kClSourceFile);
        if (found == names.end()) {
            library.folders.push_back({nullptr, kClSourceFile, "", {}, {}});
            names.push_back(kClSourceFile);
            found = names.end() - 1;
        }
        library.folders[static_cast<std::size_t>(found - names.begin())].programs = library.programs;
    }
    std::vector<std::string> reserved = {SourceManifest::kProjectName, SourceManifest::kFolderName,
                                         SourceManifest::kIbmiJsonName};
    if (library.outcome.folder.empty()) {
        reserved.insert(reserved.end(), options_->reservedAtRoot.begin(), options_->reservedAtRoot.end());
    }
    const std::vector<SourceNames::Given> given =
        SourceNames::assign(names, std::vector<std::string>(names.size()), reserved);
    for (std::size_t i = 0; i < library.folders.size(); ++i) {
        library.folders[i].name = given[i].name;
        library.manifest.addFolder(library.folders[i].fileName, given[i].name);
    }
}

// Members first, then the programs whose name no member of the folder has.
void SourceProjectWriter::writeFolder(Library& library, Folder& folder) {
    std::vector<std::string> names;
    std::vector<std::string> extensions;
    const std::size_t members = folder.file ? countOf(folder.file->members, folder.file->memberCount) : 0;
    for (std::size_t k = 0; k < members; ++k) {
        const SavedMember& member = folder.file->members[k];
        names.push_back(utf8(member.name));
        const std::string type = SourceNames::lower(trimmedRight(utf8(member.type)));
        extensions.push_back(type.empty() ? kUntypedExtension : "." + ExtractNames::safePart(type));
    }
    std::vector<const SavedObject*> programs;
    for (const SavedObject* program : folder.programs) {
        const std::string name = utf8(program->name);
        if (std::find(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(members), name) ==
            names.begin() + static_cast<std::ptrdiff_t>(members)) {
            programs.push_back(program);
            names.push_back(name);
            extensions.push_back(kProgramExtension);
        }
    }
    folder.programs = std::move(programs);
    folder.names = SourceNames::assign(names, extensions, {SourceManifest::kIbmiJsonName});
    const std::int32_t ccsid =
        folder.file ? folder.file->fields[SourceMemberLayout::kTextField].description.ccsid : 0;
    writeText(library, joined(library.outcome.folder, joined(folder.name, SourceManifest::kIbmiJsonName)),
              SourceManifest::ibmiJson(ccsid));
    for (std::size_t k = 0; k < members && !outcome_.cancelled; ++k) {
        if (progress_->cancelled()) {
            outcome_.cancelled = true;
            break;
        }
        writeMember(library, folder, k);
        if (!outcome_.cancelled) {
            progress_->progress(++membersDone_, memberTotal_);
        }
    }
    for (std::size_t p = 0; p < folder.programs.size() && !outcome_.cancelled; ++p) {
        writeProgram(library, folder, p);
    }
}

void SourceProjectWriter::writeMember(Library& library, Folder& folder, std::size_t index) {
    const SavedObject& file = *folder.file;
    const SavedMember& member = file.members[index];
    SourceManifest::Member entry;
    entry.path = joined(folder.name, folder.names[index].name);
    entry.file = folder.fileName;
    entry.member = utf8(member.name);
    entry.type = trimmedRight(utf8(member.type));
    entry.text = texts_.memberText(file, member);
    entry.ccsid = file.fields[SourceMemberLayout::kTextField].description.ccsid;
    entry.created = member.created;
    entry.changed = member.changed;
    entry.suffixed = folder.names[index].suffixed;
    const std::string relative = joined(library.outcome.folder, entry.path);
    const std::string where = joined(library.outcome.library, entry.file + "/" + entry.member);
    if (!mayWrite(relative)) {
        library.outcome.kept.push_back(relative);
        library.manifest.addNotWritten({entry.file, entry.member, "a file of its name is in the way"});
        return;
    }
    MemberWriter writer(session_, utf8_, nullptr, *progress_, bytesWritten_, membersDone_, memberTotal_);
    writer.decodeByCcsid(&byCcsid_);
    if (options_->withLineDates) {
        writer.observeLines(
            [&entry](const SourceLineRow& row) { entry.lineDates.push_back(row.sequence + " " + row.date); });
    }
    try {
        const std::optional<std::int64_t> lines = writer.writeSource(file, member, *root_, relative, {});
        if (!lines) {
            outcome_.cancelled = true;
            return;
        }
        entry.lines = *lines;
        outcome_.filesReplaced += writer.replaced() ? 1 : 0;
    } catch (const std::exception& failure) {
        const std::string reason = failureReason(failure);
        outcome_.failures.push_back(where + ": not written: " + reason);
        library.outcome.kept.push_back(relative);
        library.manifest.addNotWritten({entry.file, entry.member, reason});
        return;
    }
    library.outcome.files.push_back(relative);
    ++library.outcome.members;
    library.manifest.add(std::move(entry));
}

void SourceProjectWriter::writeProgram(Library& library, Folder& folder, std::size_t index) {
    const SavedObject& program = *folder.programs[index];
    const SourceNames::Given& given = folder.names[folder.names.size() - folder.programs.size() + index];
    const std::string name = utf8(program.name);
    const std::string relative = joined(library.outcome.folder, joined(folder.name, given.name));
    std::optional<ClSource> source;
    try {
        source = readClSource(session_, program);
    } catch (const std::exception& failure) {
        library.manifest.addNotWritten({"", name, failureReason(failure)});
        return;
    }
    if (!source || !source->retrievable) {
        return;
    }
    std::string text;
    for (std::string& line : source->lines) {
        utf8_.toUtf8InPlace(line);
        text += trimmedRight(line) + "\n";
    }
    if (!writeText(library, relative, text)) {
        library.outcome.kept.push_back(relative);
        return;
    }
    SourceManifest::Member entry;
    entry.path = joined(folder.name, given.name);
    entry.file = folder.fileName;
    entry.member = name;
    entry.type = "CLP";
    entry.text = texts_.objectText(program);
    entry.created = program.details.created;
    entry.lines = static_cast<std::int64_t>(source->lines.size());
    entry.suffixed = given.suffixed;
    entry.fromProgram = true;
    library.manifest.add(std::move(entry));
    ++library.outcome.members;
    outcome_.notes.push_back(joined(library.outcome.library, name) +
                             ": CL source retrieved from the program as " + relative);
}

void SourceProjectWriter::writeLibraryFiles(Library& library) {
    const std::string& folder = library.outcome.folder;
    writeText(library, joined(folder, SourceManifest::kProjectName),
              SourceManifest::projectJson(library.outcome.library, library.description));
    writeText(library,
              joined(folder, std::string(SourceManifest::kFolderName) + "/" + SourceManifest::kMembersName),
              library.manifest.membersJson());
}

bool SourceProjectWriter::mayWrite(const std::string& relative) {
    if (options_->replaceExisting ||
        (options_->writtenBefore != nullptr && options_->writtenBefore->contains(relative))) {
        return true;
    }
    std::error_code error;
    const auto status = std::filesystem::symlink_status(root_->path() / relative, error);
    if (!std::filesystem::exists(status)) {
        return true;
    }
    outcome_.failures.push_back(relative + ": already there; not replaced without --force");
    return false;
}

bool SourceProjectWriter::writeText(Library& library, const std::string& relative, const std::string& text) {
    if (!mayWrite(relative)) {
        return false;
    }
    OutputFile out;
    if (out.open(*root_, relative)) {
        out.write(text);
    }
    if (!out.commit()) {
        outcome_.failures.push_back(relative + ": not written: " + out.error());
        return false;
    }
    outcome_.filesReplaced += out.replaced() ? 1 : 0;
    library.outcome.files.push_back(relative);
    return true;
}

}  // namespace quelvane
