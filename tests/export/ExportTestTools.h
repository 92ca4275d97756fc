#pragma once

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace quelvane::test {

// Output of a shell command, or nothing when it could not run or failed.
inline std::optional<std::string> runCommand(const std::string& command) {
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) {
        return std::nullopt;
    }
    std::string output;
    std::array<char, 4096> buffer{};
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        output.append(buffer.data(), got);
    }
    return pclose(pipe) == 0 ? std::optional(output) : std::nullopt;
}

// Debian's python3 with python3-xlrd, the independent reader of the Excel files.
inline bool xlrdAvailable() {
    return runCommand("/usr/bin/python3 -c 'import xlrd'").has_value();
}

inline std::string readXls(const std::string& mode, const std::filesystem::path& file) {
    return runCommand("/usr/bin/python3 '" QUELVANE_EXPORT_TEST_DIR "/read_xls.py' " + mode + " '" +
                      file.string() + "'")
        .value_or("reader failed");
}

// The pages LibreOffice prints of each file in `directory`, as pdftotext lays them out: the text
// of every file by its name; nothing when LibreOffice or pdftotext is missing or fails.
inline std::optional<std::vector<std::string>> renderedPages(const std::filesystem::path& directory,
                                                             const std::vector<std::string>& files) {
    if (!runCommand("command -v soffice") || !runCommand("command -v pdftotext")) {
        return std::nullopt;
    }
    std::string names;
    for (const std::string& file : files) {
        names += " '" + file + "'";
    }
    if (!runCommand("cd '" + directory.string() + "' && soffice -env:UserInstallation=file://" +
                    directory.string() + "/profile --headless --convert-to pdf" + names)) {
        return std::nullopt;
    }
    std::vector<std::string> pages;
    for (const std::string& file : files) {
        const std::filesystem::path pdf = (directory / file).replace_extension(".pdf");
        pages.push_back(runCommand("pdftotext -layout '" + pdf.string() + "' -").value_or(""));
    }
    return pages;
}

// True when `text` stands whole on one line of `page`, as a word between spaces.
inline bool standsWhole(const std::string& page, const std::string& text) {
    std::istringstream in(page);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        for (std::string word; words >> word;) {
            if (word == text) {
                return true;
            }
        }
    }
    return false;
}

inline std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// A fresh directory under the system's temporary folder, removed with the object.
class ScratchDirectory {
  public:
    explicit ScratchDirectory(const std::string& name)
        : path_(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDirectory() { std::filesystem::remove_all(path_); }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

}  // namespace quelvane::test
