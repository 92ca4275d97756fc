#include "export/IfsEntryExport.h"

#include <algorithm>
#include <optional>

#include "savefile/AtomicFile.h"
#include "savefile/IfsPath.h"
#include "savefile/IfsStreamReader.h"

namespace quelvane {

namespace {

namespace fs = std::filesystem;

std::string withoutTrailingSlash(const std::string& path) {
    return path.size() > 1 && path.back() == '/' ? path.substr(0, path.size() - 1) : path;
}

// The names of `path` below `top`, or nothing when it is not below it or any name is unsafe.
std::optional<std::vector<std::string>> namesBelow(const std::string& path,
                                                   const std::vector<std::string>& top) {
    std::optional<std::vector<std::string>> names = safeIfsComponents(path);
    if (!names || names->size() < top.size() || !std::equal(top.begin(), top.end(), names->begin())) {
        return std::nullopt;
    }
    names->erase(names->begin(), names->begin() + static_cast<std::ptrdiff_t>(top.size()));
    return names;
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "/" + name;
}

}  // namespace

IfsEntryExport::Kind IfsEntryExport::kindOf(const std::string& path) const {
    const std::string wanted = withoutTrailingSlash(path);
    if (!safeIfsComponents(wanted)) {
        return Kind::None;
    }
    const std::vector<IfsEntry>& entries = ifs_.entries;
    auto named =
        std::find_if(entries.begin(), entries.end(), [&](const IfsEntry& e) { return e.path == wanted; });
    // Saved directories are named by their entries' paths as well as by an entry of their own.
    const std::string below = wanted == "/" ? wanted : wanted + "/";
    if (wanted == "/" || (named != entries.end() && named->kind == IfsEntry::Kind::Directory) ||
        std::any_of(entries.begin(), entries.end(),
                    [&](const IfsEntry& e) { return e.path.starts_with(below); })) {
        return Kind::Directory;
    }
    return named == entries.end() ? Kind::None : Kind::Entry;
}

bool IfsEntryExport::write(const std::string& path, const fs::path& target, const Progress& progress) {
    const std::string wanted = withoutTrailingSlash(path);
    switch (kindOf(wanted)) {
        case Kind::Directory:
            return writeDirectory(wanted, target, progress);
        case Kind::Entry: {
            const IfsEntry& entry = *std::find_if(ifs_.entries.begin(), ifs_.entries.end(),
                                                  [&](const IfsEntry& e) { return e.path == wanted; });
            std::string why;
            const OutputFolder folder = OutputFolder::open(target.parent_path(), true, why);
            const bool written = folder.isOpen() ? writeStreamFile(entry, folder, target.filename().string())
                                                 : (failure(entry, why), false);
            if (progress) {
                cancelled_ = !progress(1, 1);
            }
            return written;
        }
        case Kind::None:
            break;
    }
    failures_.push_back("no entry \"" + printableIfsPath(path) + "\" in this save");
    return false;
}

void IfsEntryExport::failure(const IfsEntry& entry, const std::string& why) {
    failures_.push_back(printableIfsPath(why.starts_with(entry.path) ? why : entry.path + ": " + why));
}

bool IfsEntryExport::writeDirectory(const std::string& wanted, const fs::path& target,
                                    const Progress& progress) {
    const std::vector<std::string> top = safeIfsComponents(wanted).value_or(std::vector<std::string>{});
    const std::string below = wanted == "/" ? wanted : wanted + "/";
    std::string why;
    const OutputFolder root = OutputFolder::open(target, true, why);
    if (!root.isOpen()) {
        failures_.push_back(why);
        return false;
    }
    bool complete = true;
    const std::size_t total = ifs_.entries.size();
    writtenFiles_.assign(total, std::string());
    taken_.clear();
    for (std::size_t i = 0; i < total; ++i) {
        const IfsEntry& entry = ifs_.entries[i];
        std::optional<std::vector<std::string>> names = namesBelow(entry.path, top);
        if (!names || names->empty()) {
            if (entry.path.starts_with(below) || !entry.problem.empty()) {
                failures_.push_back(printableIfsPath(entry.path) + ": unsafe name, not extracted");
                notWritten_.push_back(entry.path);
                complete = false;
            }
        } else if (!writeBelow(root, i, *names)) {
            notWritten_.push_back(entry.path);
            complete = false;
        }
        if (progress && !progress(i + 1, total)) {
            cancelled_ = true;
            return false;
        }
    }
    return complete;
}

bool IfsEntryExport::writeBelow(const OutputFolder& root, std::size_t index,
                                const std::vector<std::string>& names) {
    const IfsEntry& entry = ifs_.entries[index];
    if (entry.kind != IfsEntry::Kind::StreamFile && entry.kind != IfsEntry::Kind::Directory) {
        failure(entry, entry.typeText + " is not extracted");
        return false;
    }
    const std::vector<std::string> parents(names.begin(), names.end() - 1);
    std::string folder;
    for (const std::string& name : parents) {
        taken_[folder].insert(name);
        folder = joined(folder, name);
    }
    std::string why;
    const OutputFolder parent = root.below(parents, true, why);
    if (!parent.isOpen()) {
        failure(entry, why);
        return false;
    }
    if (entry.kind == IfsEntry::Kind::Directory) {
        taken_[folder].insert(names.back());
        if (!parent.below({names.back()}, true, why).isOpen()) {
            failure(entry, why);
            return false;
        }
        writtenFiles_[index] = joined(folder, names.back());
        return true;
    }
    const std::string name = freeName(folder, names.back());
    if (!writeStreamFile(entry, parent, name)) {
        return false;
    }
    writtenFiles_[index] = joined(folder, name);
    if (name != names.back()) {
        renamed_.push_back(printableIfsPath(entry.path) + ": written as " + writtenFiles_[index]);
    }
    return true;
}

// `name`, or when this run gave it out in `folder` already, "stem_2.ext", "stem_3.ext" and so on.
std::string IfsEntryExport::freeName(const std::string& folder, const std::string& name) {
    std::set<std::string>& taken = taken_[folder];
    std::string candidate = name;
    const std::size_t dot = name.rfind('.');
    const bool split = dot != std::string::npos && dot > 0;
    const std::string stem = split ? name.substr(0, dot) : name;
    const std::string extension = split ? name.substr(dot) : std::string();
    for (int suffix = 2; taken.contains(candidate); ++suffix) {
        candidate = stem + "_" + std::to_string(suffix) + extension;
    }
    taken.insert(candidate);
    return candidate;
}

bool IfsEntryExport::writeStreamFile(const IfsEntry& entry, const OutputFolder& folder,
                                     const std::string& name) {
    if (entry.kind != IfsEntry::Kind::StreamFile) {
        failure(entry, entry.typeText + " is not extracted");
        return false;
    }
    std::string why;
    std::optional<std::vector<std::uint8_t>> bytes;
    try {
        bytes = IfsStreamReader(source_).read(entry, why);
    } catch (const std::exception& raised) {
        why = raised.what();
    }
    if (!bytes) {
        failure(entry, why);
        return false;
    }
    AtomicFile file;
    if (file.open(folder, name,
                  replaceExisting_ ? AtomicFile::Existing::ReplaceRegular : AtomicFile::Existing::Refuse)) {
        file.write(bytes->data(), bytes->size());
    }
    if (!file.commit()) {
        failure(entry, file.error());
        return false;
    }
    if (file.replaced()) {
        replaced_.push_back(file.path().string());
    }
    ++filesWritten_;
    return true;
}

IfsEntryExport::Written IfsEntryExport::writeEntries(const std::unique_ptr<BlockSource>& source,
                                                     const IfsCatalog& ifs,
                                                     const std::vector<IfsEntry>& entries,
                                                     const fs::path& folder) {
    Written written;
    written.files.assign(entries.size(), std::string());
    if (source == nullptr || !source->isOpen()) {
        for (const IfsEntry& entry : entries) {
            written.failures.push_back(printableIfsPath(entry.path) + ": the save cannot be read");
        }
        return written;
    }
    IfsCatalog chosen = ifs;
    chosen.entries = entries;
    chosen.tree.reset();
    IfsEntryExport exporter(*source, chosen);
    exporter.setReplaceExisting(true);
    exporter.write("/", folder);
    if (exporter.writtenFiles().size() == entries.size()) {
        written.files = exporter.writtenFiles();
    }
    written.failures = exporter.failures();
    written.renamed = exporter.renamed();
    written.replaced = exporter.replaced();
    return written;
}

fs::path IfsEntryExport::targetIn(const fs::path& folder, const std::string& path) {
    std::optional<std::vector<std::string>> names = safeIfsComponents(withoutTrailingSlash(path));
    if (!names) {
        return {};
    }
    return names->empty() ? folder : folder / names->back();
}

}  // namespace quelvane
