#pragma once

#include <cstdint>
#include <span>

#include "conversion/EbcdicTextConverter.h"
#include "describe/CommandDefinition.h"

namespace quelvane {

// Reads the definition a *CMD object keeps in the associated space of its first MI segment.
// The space holds a header (program, validity checker, message file, the command prompt and the
// parameter chain), PARM entries with QUAL and ELEM sub-entries, pooled values and texts, and a
// trailer (help panel group and identifier); every pointer inside is a 2-byte offset from the
// space start.
class CommandReader {
  public:
    // The most object data a command definition is read from.
    static constexpr std::int64_t kLargestDefinition = 1 << 20;

    explicit CommandReader(EbcdicTextConverter& converter) : converter_(converter) {}

    // Raises DecodingFailure when a pointer, a count or an entry leaves the object's data, or
    // when the entries run in a circle.
    CommandDefinition read(std::span<const std::uint8_t> objectData);

  private:
    EbcdicTextConverter& converter_;
};

}  // namespace quelvane
