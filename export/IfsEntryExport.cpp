#include "export/IfsEntryExport.h"

#include <algorithm>
#include <fstream>
#include <optional>

#include "savefile/IfsPath.h"
#include "savefile/IfsStreamReader.h"

namespace quelvane {

namespace {

namespace fs = std::filesystem;

std::string withoutTrailingSlash(const std::string& path) {
    return path.size() > 1 && path.back() == '/' ? path.substr(0, path.size() - 1) : path;
}

bool writeBytes(const fs::path& target, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
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
            bool written = writeEntry(entry, target);
            if (progress) {
                cancelled_ = !progress(1, 1);
            }
            return written;
        }
        case Kind::None:
            break;
    }
    failures_.push_back("no entry \"" + path + "\" in this save");
    return false;
}

bool IfsEntryExport::writeDirectory(const std::string& wanted, const fs::path& target,
                                    const Progress& progress) {
    const std::vector<std::string> top = safeIfsComponents(wanted).value_or(std::vector<std::string>{});
    const std::string below = wanted == "/" ? wanted : wanted + "/";
    std::error_code error;
    fs::create_directories(target, error);
    if (error) {
        failures_.push_back("cannot create " + target.string() + ": " + error.message());
        return false;
    }
    bool complete = true;
    const std::size_t total = ifs_.entries.size();
    for (std::size_t i = 0; i < total; ++i) {
        const IfsEntry& entry = ifs_.entries[i];
        std::optional<std::vector<std::string>> names = namesBelow(entry.path, top);
        if (!names || names->empty()) {
            if (entry.path.starts_with(below) || !entry.problem.empty()) {
                failures_.push_back(entry.path + ": unsafe name, not extracted");
                notWritten_.push_back(entry.path);
                complete = false;
            }
        } else {
            fs::path place = target;
            for (const std::string& name : *names) {
                place /= name;
            }
            if (!writeEntry(entry, place)) {
                notWritten_.push_back(entry.path);
                complete = false;
            }
        }
        if (progress && !progress(i + 1, total)) {
            cancelled_ = true;
            return false;
        }
    }
    return complete;
}

bool IfsEntryExport::writeEntry(const IfsEntry& entry, const fs::path& target) {
    std::error_code error;
    if (entry.kind == IfsEntry::Kind::Directory) {
        fs::create_directories(target, error);
        if (error) {
            failures_.push_back("cannot create " + target.string() + ": " + error.message());
        }
        return !error;
    }
    if (entry.kind != IfsEntry::Kind::StreamFile) {
        failures_.push_back(entry.path + ": " + entry.typeText + " is not extracted");
        return false;
    }
    std::string why;
    std::optional<std::vector<std::uint8_t>> bytes;
    try {
        bytes = IfsStreamReader(source_).read(entry, why);
    } catch (const std::exception& failure) {
        why = entry.path + ": " + failure.what();
    }
    if (!bytes) {
        failures_.push_back(why);
        return false;
    }
    fs::create_directories(target.parent_path(), error);
    if (!writeBytes(target, *bytes)) {
        failures_.push_back("cannot write " + target.string());
        return false;
    }
    ++filesWritten_;
    return true;
}

std::vector<std::string> IfsEntryExport::writeEntries(const std::unique_ptr<BlockSource>& source,
                                                      const IfsCatalog& ifs,
                                                      const std::vector<IfsEntry>& entries,
                                                      const fs::path& folder,
                                                      std::vector<std::string>* failures) {
    if (source == nullptr || !source->isOpen()) {
        std::vector<std::string> all;
        for (const IfsEntry& entry : entries) {
            all.push_back(entry.path);
        }
        return all;
    }
    IfsCatalog chosen = ifs;
    chosen.entries = entries;
    chosen.tree.reset();
    IfsEntryExport exporter(*source, chosen);
    exporter.write("/", folder);
    if (failures != nullptr) {
        failures->insert(failures->end(), exporter.failures().begin(), exporter.failures().end());
    }
    return exporter.notWritten();
}

fs::path IfsEntryExport::targetIn(const fs::path& folder, const std::string& path) {
    std::optional<std::vector<std::string>> names = safeIfsComponents(withoutTrailingSlash(path));
    if (!names) {
        return {};
    }
    return names->empty() ? folder : folder / names->back();
}

}  // namespace quelvane
