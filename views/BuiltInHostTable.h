#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace quelvane {

// The translation the zoned decoders use instead of the conversion layer: a fixed host-to-PC
// byte table, and for shift-out/shift-in runs the Simplified Chinese double-byte mapping.
// Zoned digits F0-F9 and the blank 40 are the entries valid data needs; every other byte still
// translates, so damaged fields show what they hold.

extern const std::array<std::uint8_t, 256> BuiltInHostTable;

// The GB2312 code (EUC-CN) for a host double-byte code; 0xA1A1, the ideographic space, for
// codes without one.
std::uint16_t mapHostDbcs(std::uint16_t code);

// Replaces `text` with the bytes translated one by one through the table.
void convertBuiltInSingle(std::span<const std::uint8_t> bytes, std::string& text);

// Replaces `text` with the bytes translated with shift-out (0x0E) / shift-in (0x0F) handling;
// its length may differ from the input's.
void convertBuiltInMixed(std::span<const std::uint8_t> bytes, std::string& text);

}  // namespace quelvane
