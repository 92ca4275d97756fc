#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "conversion/EbcdicTextConverter.h"
#include "describe/ProgramDescription.h"

namespace quelvane {

// Reads how a program was built. The object header byte after the object's name tells OPM
// programs, ILE programs and modules apart. An ILE program keeps one 272-byte record per bound
// module, one after another, and one 80-byte entry per bound service program (type 02 03 and
// name, type 04 01 and library); where these lists start is not held at a known place, so they
// are found by their form: records whose two release fields read VnRnMn and whose creation time
// is a date, entries whose names are names.
class ProgramReader {
  public:
    static constexpr std::int64_t kLargestProgram = 64 << 20;
    static constexpr std::size_t kMostModules = 4096;
    static constexpr std::size_t kMostServicePrograms = 4096;

    explicit ProgramReader(EbcdicTextConverter& converter) : converter_(converter) {}

    // Raises DecodingFailure when the data is too short to hold the object header.
    ProgramDescription read(std::span<const std::uint8_t> objectData);

    // The description as text lines, as DSPPGM lists modules and service programs.
    static std::vector<std::string> lines(const ProgramDescription& program);

  private:
    EbcdicTextConverter& converter_;
};

}  // namespace quelvane
