#pragma once

#include <string_view>

namespace quelvane {

// How the data of a segment is stored. Saves written with data compression keep every segment
// header stored; the data after it is run-length coded (*LOW), or a run of chunks coded with
// TERSE (*MEDIUM) or LZ1 (*HIGH).
enum class CompressionKind { Stored, RunLength, Terse, Lz1 };

// "stored", "run-length", "TERSE", "LZ1".
std::string_view compressionKindText(CompressionKind kind);

}  // namespace quelvane
