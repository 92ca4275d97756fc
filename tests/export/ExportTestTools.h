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
