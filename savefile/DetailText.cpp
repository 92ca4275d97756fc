#include "savefile/DetailText.h"

#include <cstdio>

namespace quelvane {

namespace {

// Joins the non-empty pieces with ", ".
std::string joined(const std::vector<std::string>& pieces) {
    std::string text;
    for (const std::string& piece : pieces) {
        if (piece.empty()) {
            continue;
        }
        text += text.empty() ? piece : ", " + piece;
    }
    return text;
}

std::string releaseText(const std::optional<std::string>& name, const std::optional<std::uint16_t>& code) {
    if (name) {
        return *name;
    }
    if (!code) {
        return "";
    }
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "code %04X", static_cast<unsigned>(*code));
    return buffer;
}

std::string labelled(const char* label, const std::optional<std::string>& value) {
    return value ? std::string(label) + *value : std::string();
}

std::string sourceText(const ObjectDetails& details) {
    if (!details.sourceFile) {
        return "";
    }
    std::string text = "source ";
    if (details.sourceLibrary) {
        text += *details.sourceLibrary + "/";
    }
    text += *details.sourceFile;
    if (details.sourceMember) {
        text += "(" + *details.sourceMember + ")";
    }
    if (details.sourceChanged) {
        text += " changed " + details.sourceChanged->text();
    }
    return text;
}

}  // namespace

std::vector<std::string> saveDetailLines(const SaveDetails& details) {
    std::vector<std::string> lines;
    std::string saved = details.savedAt ? "Saved " + details.savedAt->text() : "";
    if (details.systemName) {
        saved += (saved.empty() ? "Saved on system " : " on system ") + *details.systemName;
    }
    std::string system = joined({saved, labelled("serial ", details.serialNumber)});
    if (!system.empty()) {
        lines.push_back(system);
    }
    std::string saving = releaseText(details.savingRelease, details.savingReleaseCode);
    std::string target = releaseText(details.targetRelease, details.targetReleaseCode);
    std::string releases =
        joined({saving.empty() ? "" : "Release " + saving, target.empty() ? "" : "target release " + target});
    if (!saving.empty()) {
        lines.push_back(releases);
    } else if (!target.empty()) {
        lines.push_back("Target release " + target);
    } else if (!details.objectReleases.empty()) {
        std::string names;
        for (const std::string& release : details.objectReleases) {
            names += (names.empty() ? "" : ", ") + release;
        }
        lines.push_back(
            (details.objectReleases.size() == 1 ? "Release of the objects: " : "Releases of the objects: ") +
            names);
    }
    return lines;
}

std::string objectDetailText(const ObjectDetails& details) {
    std::string created;
    if (details.created) {
        created = "created " + details.created->text();
        created += details.creator ? " by " + *details.creator : "";
        created += details.createdOnSystem ? " on " + *details.createdOnSystem : "";
    }
    return joined({labelled("owner ", details.owner),
                   details.size ? std::to_string(*details.size) + " bytes" : "", created,
                   labelled("release ", details.release),
                   labelled("licensed program ", details.licensedProgram), sourceText(details)});
}

std::string ifsEntryText(const IfsEntry& entry) {
    bool hasSize = entry.kind == IfsEntry::Kind::StreamFile;
    return joined({entry.typeText, hasSize ? std::to_string(entry.size) + " bytes" : "",
                   entry.modified ? "modified " + entry.modified->text() : "",
                   labelled("owner ", entry.owner),
                   entry.ccsid ? "CCSID " + std::to_string(*entry.ccsid) : "", entry.problem});
}

std::string memberDetailText(const SavedMember& member) {
    return joined({member.created ? "created " + member.created->text() : "",
                   member.changed ? "changed " + member.changed->text() : ""});
}

}  // namespace quelvane
