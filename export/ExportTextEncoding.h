#pragma once

#include <optional>
#include <string_view>

namespace quelvane {

// What the text export writes its characters in: the PC code page, as it always did, or UTF-8,
// which holds every character a field's stored CCSID can give. The Word and Excel files hold
// Unicode texts whichever is chosen.
enum class ExportTextEncoding { PcPage, Utf8 };

// The command line's --encoding value and the page's encoding name.
inline constexpr std::string_view kUtf8EncodingName = "utf-8";
inline constexpr std::string_view kPcPageEncodingName = "pc";

// The encoding of a command-line or page name ("pc", "utf-8"); none for any other name.
constexpr std::optional<ExportTextEncoding> exportTextEncodingNamed(std::string_view name) {
    if (name == kUtf8EncodingName) {
        return ExportTextEncoding::Utf8;
    }
    if (name == kPcPageEncodingName) {
        return ExportTextEncoding::PcPage;
    }
    return std::nullopt;
}

}  // namespace quelvane
