#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quelvane {

// Raised when a value cannot be written to the settings file, so a lost setting never passes
// unnoticed.
class SettingsWriteFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The program's settings file in Windows INI form: "[Section]" lines open sections, values are
// "Key=Value" lines. Section and key names are matched without regard to case on reading. Every
// read goes to the file and every write rewrites it at once; lines the program does not know
// (comments, other sections, other keys) are kept as they are, in place.
class SettingsFile {
  public:
    // `path` is read and written. `seedPath`, when given, is read instead as long as `path` does
    // not exist yet, and its lines are the starting point of the first write to `path`; this
    // carries a settings file placed beside an installed program over to the user's own copy.
    explicit SettingsFile(std::filesystem::path path, std::filesystem::path seedPath = {});

    // The settings file of the program at `programPath`: its path with the extension replaced by
    // ".ini". When the program's folder cannot be written (an installed program), the same file
    // name under `userConfigDirectory` instead, seeded from the file beside the program.
    static SettingsFile locate(const std::filesystem::path& programPath,
                               const std::filesystem::path& userConfigDirectory);

    // $XDG_CONFIG_HOME when it is an absolute path, otherwise $HOME/.config; empty when neither
    // is known.
    static std::filesystem::path userConfigDirectory();

    const std::filesystem::path& path() const { return path_; }

    // A missing key, or for integers a text that is not a decimal integer, yields the default.
    int readInteger(std::string_view section, std::string_view key, int defaultValue) const;
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;

    // Raise SettingsWriteFailure when the file cannot be written.
    void writeInteger(std::string_view section, std::string_view key, int value);
    void writeString(std::string_view section, std::string_view key, std::string_view value);

  private:
    std::vector<std::string> readLines(bool* crlf) const;
    std::optional<std::string> find(std::string_view section, std::string_view key) const;
    void replaceWith(const std::string& bytes) const;

    std::filesystem::path path_;
    std::filesystem::path seedPath_;
    // Why the folder `locate` chose could not be created; said with a failed write.
    std::string folderFailure_;
};

}  // namespace quelvane
