#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliExport.h"
#include "cli/CliSession.h"
#include "cli/StreamFileExport.h"
#include "savefile/IfsPath.h"
#include "savefile/IfsStreamReader.h"

namespace quelvane::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage = "export FILE PATH --format stmf -o OUT [--inner NODE]...";

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

// Writes one entry below `folder`; returns false after saying why on stderr.
bool exportEntry(IfsStreamReader& reader, const IfsEntry& entry, const fs::path& target) {
    std::error_code error;
    if (entry.kind == IfsEntry::Kind::Directory) {
        fs::create_directories(target, error);
        return !error;
    }
    if (entry.kind != IfsEntry::Kind::StreamFile) {
        std::fprintf(stderr, "quelvane-cli: %s: %s is not extracted\n", entry.path.c_str(),
                     entry.typeText.c_str());
        return false;
    }
    std::string why;
    std::optional<std::vector<std::uint8_t>> bytes = reader.read(entry, why);
    if (!bytes) {
        std::fprintf(stderr, "quelvane-cli: %s\n", why.c_str());
        return false;
    }
    fs::create_directories(target.parent_path(), error);
    if (!writeBytes(target, *bytes)) {
        std::fprintf(stderr, "quelvane-cli: cannot write %s\n", target.string().c_str());
        return false;
    }
    return true;
}

}  // namespace

// A stream file of a save of the integrated file system, byte for byte, into the file OUT; or a
// directory with everything below it into the folder OUT. Names that could leave the folder
// ("..", "/" inside a name, NUL) are never written.
int runStreamFileExport(const std::vector<std::string>& arguments) {
    std::vector<std::string> rest;
    std::string out;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if ((arguments[i] == "--format" || arguments[i] == "-o") && i + 1 < arguments.size()) {
            if (arguments[i] == "-o") {
                out = arguments[i + 1];
            }
            ++i;
        } else {
            rest.push_back(arguments[i]);
        }
    }
    CliSession session;
    int status = out.empty() ? kExitUsage : session.start(rest, 2, 2, kUsage);
    if (out.empty()) {
        std::fprintf(stderr, "Usage: quelvane-cli %s\n", kUsage);
    }
    if (status != kExitSuccess) {
        return status;
    }
    if (!session.catalog().ifs) {
        std::fprintf(stderr, "quelvane-cli: %s is not a save of the integrated file system\n",
                     rest[0].c_str());
        return kExitUsage;
    }
    std::string wanted =
        rest[1].size() > 1 && rest[1].back() == '/' ? rest[1].substr(0, rest[1].size() - 1) : rest[1];
    std::optional<std::vector<std::string>> top = safeIfsComponents(wanted);
    const std::vector<IfsEntry>& entries = session.catalog().ifs->entries;
    auto named =
        std::find_if(entries.begin(), entries.end(), [&](const IfsEntry& e) { return e.path == wanted; });
    // Saved directories are named by their entries' paths as well as by an entry of their own.
    bool isFolder = wanted == "/" || (named != entries.end() && named->kind == IfsEntry::Kind::Directory) ||
                    std::any_of(entries.begin(), entries.end(),
                                [&](const IfsEntry& e) { return e.path.starts_with(wanted + "/"); });
    if (!top || (!isFolder && named == entries.end())) {
        std::fprintf(stderr, "quelvane-cli: no entry \"%s\" in %s\n", rest[1].c_str(), rest[0].c_str());
        return kExitUsage;
    }
    std::unique_ptr<BlockSource> source = session.openExpandedSource();
    IfsStreamReader reader(*source);
    if (!isFolder) {
        return exportEntry(reader, *named, out) ? kExitSuccess : kExitExportFailed;
    }
    return exportIfsFolder(reader, entries, wanted, *top, out).empty() ? kExitSuccess : kExitExportFailed;
}

std::vector<std::string> exportIfsFolder(IfsStreamReader& reader, const std::vector<IfsEntry>& entries,
                                         const std::string& wanted, const std::vector<std::string>& top,
                                         const std::filesystem::path& out) {
    std::vector<std::string> notWritten;
    for (const IfsEntry& entry : entries) {
        std::optional<std::vector<std::string>> names = namesBelow(entry.path, top);
        if (!names || names->empty()) {
            if (entry.path.starts_with(wanted + "/") || !entry.problem.empty()) {
                std::fprintf(stderr, "quelvane-cli: %s: unsafe name, not extracted\n", entry.path.c_str());
                notWritten.push_back(entry.path);
            }
            continue;
        }
        fs::path target = out;
        for (const std::string& name : *names) {
            target /= name;
        }
        if (!exportEntry(reader, entry, target)) {
            notWritten.push_back(entry.path);
        }
    }
    return notWritten;
}

}  // namespace quelvane::cli
