#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/SaveFileBuilder.h"
#include "views/NodeContentTarget.h"

namespace quelvane::bench {

// The member the benchmarks read: records of 120 bytes in ten fields of mixed types (character,
// packed, zoned, binary, date, time), the kind a business file holds.
constexpr std::int32_t kRecordLength = 120;
extern const std::vector<test::BuiltField> kFields;

// Record n's stored bytes.
std::vector<std::uint8_t> record(std::uint32_t n);

// Blocks a stream of `records` records fills, with the skipped first slot and the 32-byte
// headers every 32768 blocks.
std::int64_t streamBlocks(std::uint32_t records);

// Writes the stream of `records` present records block by block from `firstBlock` on, into the
// file the builder made (its segment left room for them).
void writeStream(const std::string& path, std::int64_t firstBlock, std::uint32_t records);

// Writes a save file at `path` holding file BIGFILE with member BIGMBR of `records` records:
// the catalog through the save-file builder (sparse), then the record stream block by block.
void writeMemberSave(const std::string& path, std::uint32_t records, std::int32_t headerSize = 512);

// The peak resident memory of the process so far, in megabytes.
double peakMegabytes();

// Processor time of this process so far, user and system: the machine may be shared, and the
// aims are per core.
double cpuSeconds();

// The folder of the running program, where its conversion modules lie.
std::string programDirectory();

// A node content target that shows nothing: the benchmarks time the content list alone.
class SilentTarget final : public NodeContentTarget {
  public:
    void refreshTitle() override {}
    void setNodeTitle(const std::string&) override {}
    void setNodeSummary(const std::string&) override {}
    void enableExport(bool) override {}
    void enableBatch(bool) override {}
    void showVersion() override {}
};

}  // namespace quelvane::bench
