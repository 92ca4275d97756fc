#include "settings/SettingsFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

namespace quelvane {

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool sameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) {
            return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        };
        return lower(x) == lower(y);
    });
}

// "[name]" (blanks around allowed) gives the section name; anything else gives nothing.
std::optional<std::string_view> sectionOf(std::string_view line) {
    const auto t = trim(line);
    if (t.empty() || t.front() != '[') {
        return std::nullopt;
    }
    const auto close = t.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return trim(t.substr(1, close - 1));
}

// "key=value" gives the key; comment lines (";") and lines without "=" give nothing.
std::optional<std::string_view> keyOf(std::string_view line) {
    const auto t = trim(line);
    if (t.empty() || t.front() == ';') {
        return std::nullopt;
    }
    const auto eq = t.find('=');
    if (eq == std::string_view::npos) {
        return std::nullopt;
    }
    return trim(t.substr(0, eq));
}

std::string_view valueOf(std::string_view line) {
    return trim(line.substr(line.find('=') + 1));
}

bool folderWritable(const std::filesystem::path& folder) {
    return ::access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
}

}  // namespace

SettingsFile::SettingsFile(std::filesystem::path path, std::filesystem::path seedPath)
    : path_(std::move(path)), seedPath_(std::move(seedPath)) {}

SettingsFile SettingsFile::locate(const std::filesystem::path& programPath,
                                  const std::filesystem::path& userConfigDirectory) {
    auto beside = programPath;
    beside.replace_extension(".ini");
    if (folderWritable(beside.parent_path()) || userConfigDirectory.empty()) {
        return SettingsFile(beside);
    }
    std::error_code failure;
    std::filesystem::create_directories(userConfigDirectory, failure);
    SettingsFile located(userConfigDirectory / beside.filename(), beside);
    if (failure) {
        located.folderFailure_ =
            "the folder " + userConfigDirectory.string() + " cannot be created: " + failure.message();
    }
    return located;
}

std::filesystem::path SettingsFile::userConfigDirectory() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        return std::filesystem::path(home) / ".config";
    }
    return {};
}

std::vector<std::string> SettingsFile::readLines(bool* crlf) const {
    std::ifstream in(path_, std::ios::binary);
    if (!in && !seedPath_.empty()) {
        in.open(seedPath_, std::ios::binary);
    }
    std::vector<std::string> lines;
    *crlf = true;
    if (!in) {
        return lines;
    }
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        const bool endsInCr = !line.empty() && line.back() == '\r';
        if (endsInCr) {
            line.pop_back();
        }
        if (first) {
            *crlf = endsInCr || in.eof();
            first = false;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::optional<std::string> SettingsFile::find(std::string_view section, std::string_view key) const {
    bool crlf = true;
    bool inSection = false;
    for (const auto& line : readLines(&crlf)) {
        if (const auto name = sectionOf(line)) {
            inSection = sameName(*name, section);
        } else if (inSection) {
            if (const auto k = keyOf(line); k && sameName(*k, key)) {
                return std::string(valueOf(line));
            }
        }
    }
    return std::nullopt;
}

int SettingsFile::readInteger(std::string_view section, std::string_view key, int defaultValue) const {
    const auto text = find(section, key);
    if (!text) {
        return defaultValue;
    }
    std::string_view digits = *text;
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
    }
    int value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) {
        return defaultValue;
    }
    return value;
}

std::string SettingsFile::readString(std::string_view section, std::string_view key,
                                     std::string_view defaultValue) const {
    return find(section, key).value_or(std::string(defaultValue));
}

void SettingsFile::writeInteger(std::string_view section, std::string_view key, int value) {
    writeString(section, key, std::to_string(value));
}

void SettingsFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    bool crlf = true;
    auto lines = readLines(&crlf);
    std::string entry = std::string(key) + "=" + std::string(value);

    // Find the section; a new key goes after the section's last non-blank line, so blank lines
    // that separate it from the next section stay where they are.
    bool inSection = false;
    bool done = false;
    std::optional<std::size_t> insertAt;
    for (std::size_t i = 0; i < lines.size() && !done; ++i) {
        if (const auto name = sectionOf(lines[i])) {
            if (inSection) {
                break;
            }
            inSection = sameName(*name, section);
            if (inSection) {
                insertAt = i + 1;
            }
        } else if (inSection) {
            if (const auto k = keyOf(lines[i]); k && sameName(*k, key)) {
                lines[i] = entry;
                done = true;
            } else if (!trim(lines[i]).empty()) {
                insertAt = i + 1;
            }
        }
    }
    if (!done) {
        if (insertAt) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*insertAt), entry);
        } else {
            if (!lines.empty() && !trim(lines.back()).empty()) {
                lines.emplace_back();
            }
            lines.push_back("[" + std::string(section) + "]");
            lines.push_back(entry);
        }
    }

    std::ostringstream text;
    for (const auto& line : lines) {
        text << line << (crlf ? "\r\n" : "\n");
    }
    replaceWith(text.str());
}

// The new text goes to a temporary file of an unpredictable name beside the settings file and is
// renamed over it only when it is whole: a full disk or a failed write leaves the old settings.
void SettingsFile::replaceWith(const std::string& bytes) const {
    std::string temporary = path_.string() + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    int error = fd < 0 ? errno : 0;
    // mkstemp creates the file for its owner only; settings files were readable by all.
    if (error == 0 && ::fchmod(fd, S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH) != 0) {
        error = errno;
    }
    for (std::size_t done = 0; error == 0 && done < bytes.size();) {
        const ::ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno != EINTR) {
            error = errno;
        } else if (wrote > 0) {
            done += static_cast<std::size_t>(wrote);
        }
    }
    if (fd >= 0 && ::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && std::rename(temporary.c_str(), path_.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        if (fd >= 0) {
            ::unlink(temporary.c_str());
        }
        throw SettingsWriteFailure("Cannot write the settings file " + path_.string() + ": " +
                                   std::strerror(error) +
                                   (folderFailure_.empty() ? "" : " (" + folderFailure_ + ")"));
    }
}

}  // namespace quelvane
