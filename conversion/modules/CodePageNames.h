#pragma once

#include <cstdint>
#include <optional>

namespace quelvane::modules {

// Where the mapping of a host (EBCDIC) page comes from. ICU lacks three of the host pages the
// program offers; glibc's iconv carries them.
struct HostPageSource {
    enum class Library { icu, iconv };
    Library library;
    const char* name;
};

// The converter for a Windows EBCDIC code page number (20273, 1140, 930...), if any.
std::optional<HostPageSource> hostPageSource(std::int32_t windowsCodePage);

// The ICU converter for a Windows PC code page number; 0 is the system's ANSI code page, which
// is windows-1252 where the system has no such notion.
const char* pcPageConverterName(std::int32_t windowsCodePage);

}  // namespace quelvane::modules
