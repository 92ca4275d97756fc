#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quelvane {

// A name read from a save is hostile input: only a non-empty name that is not "." or "..", and
// holds no "/", backslash or NUL, may become a file name on this machine.
bool isSafeIfsName(const std::string& name);

// The names of an absolute path ("/a/b" gives a, b; "/" gives none), or nothing when the path is
// not absolute or any name in it is unsafe.
std::optional<std::vector<std::string>> safeIfsComponents(const std::string& path);

// `path` for a message: NUL and the other control characters as \xNN, so that none cuts or
// garbles the line it is shown in.
std::string printableIfsPath(const std::string& path);

// UTF-16BE text as UTF-8; nothing when the byte count is odd or a surrogate is unpaired.
std::optional<std::string> utf16BigEndianToUtf8(const std::uint8_t* bytes, std::size_t count);

}  // namespace quelvane
