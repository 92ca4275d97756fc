#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "extract/JsonWriter.h"
#include "savefile/SavedTimestamp.h"

namespace quelvane {

// The JSON files of a source project. A folder's .ibmi.json names the CCSID its source is
// compiled in; the project's iproj.json its library and the library's text; and
// .quelvane/members.json keeps what the stream files cannot: each member's file, name, type,
// text, CCSID and dates, where it went, and, when asked for, each line's sequence number and
// date. Texts are UTF-8.
class SourceManifest {
  public:
    // The version of the layout of .ibmi.json the editing tools read.
    static constexpr const char* kIbmiJsonVersion = "0.0.1";
    static constexpr const char* kIbmiJsonName = ".ibmi.json";
    static constexpr const char* kProjectName = "iproj.json";
    static constexpr const char* kFolderName = ".quelvane";
    static constexpr const char* kMembersName = "members.json";

    struct Member {
        std::string path;
        std::string file;
        std::string member;
        std::string type;
        std::string text;
        std::int32_t ccsid = 0;
        std::optional<SavedTimestamp> created;
        std::optional<SavedTimestamp> changed;
        std::int64_t lines = 0;
        bool suffixed = false;
        // The program a CL source was retrieved from, rather than a member.
        bool fromProgram = false;
        // Sequence number and six-digit date of every line, "seq date" each; empty unless asked for.
        std::vector<std::string> lineDates;
    };

    struct Omitted {
        std::string file;
        std::string member;
        std::string reason;
    };

    // A folder's .ibmi.json: the build key is left out for 65535 and for no CCSID.
    static std::string ibmiJson(std::int32_t ccsid);
    // The project's iproj.json; an empty description is left out.
    static std::string projectJson(const std::string& library, const std::string& description);

    explicit SourceManifest(std::string library) : library_(std::move(library)) {}

    void add(Member member) { members_.push_back(std::move(member)); }
    void addDataFile(std::string name) { dataFiles_.push_back(std::move(name)); }
    void addNotWritten(Omitted omitted) { notWritten_.push_back(std::move(omitted)); }
    // The folder a source file went to.
    void addFolder(std::string file, std::string folder) {
        folders_.push_back({std::move(file), std::move(folder)});
    }

    std::string membersJson() const;

  private:
    void writeMember(JsonWriter& json, const Member& member) const;

    std::string library_;
    std::vector<Member> members_;
    std::vector<std::string> dataFiles_;
    std::vector<Omitted> notWritten_;
    std::vector<std::pair<std::string, std::string>> folders_;
};

}  // namespace quelvane
