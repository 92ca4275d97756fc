#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quelvane {

// UTF-8 to and from UTF-16, as the conversion layer's UTF-8 converter reads and writes it: an
// unpaired surrogate is written as U+FFFD, and each maximal part of an ill-formed sequence
// (a lead byte and the continuation bytes that may follow it) reads as one U+FFFD.

void appendUtf8(std::u16string_view text, std::string& out);
std::string utf16ToUtf8(std::u16string_view text);

// `offsets`, when given, receives for each UTF-16 unit the index of its sequence's first byte.
void decodeUtf8(std::string_view bytes, std::u16string& out, std::vector<std::int32_t>* offsets);
std::u16string utf8ToUtf16(std::string_view bytes);

}  // namespace quelvane
