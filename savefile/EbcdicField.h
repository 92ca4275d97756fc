#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "conversion/EbcdicTextConverter.h"

namespace quelvane {

// Removes trailing, then leading spaces (0x20 only) from a zero-terminated text in place,
// shifting the rest to the front; returns the new length.
int trimSpaces(char* text);

// An EBCDIC name or text field as display text: the bytes are converted into a zero-filled
// buffer one byte longer than the field, so the text ends at the first zero the conversion left
// (a failed conversion gives an empty text); `trim` then removes the surrounding spaces.
std::string convertField(EbcdicTextConverter& converter, std::span<const std::uint8_t> field, bool trim);

// A name or text field that may be unset: nothing when it is all EBCDIC blanks, holds any byte
// below the blank (zeros, controls) or converts to an empty text; otherwise the trimmed text.
std::optional<std::string> optionalField(EbcdicTextConverter& converter, std::span<const std::uint8_t> field);

}  // namespace quelvane
