#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "conversion/EbcdicTextConverter.h"
#include "describe/MessageFileContents.h"

namespace quelvane {

// Reads the messages of a *MSGF. Its first MI segment holds the message index (count at the
// index header, entries with prefix-compressed keys); the second holds the message space, where
// its header's space address points, a heap of records: text records (kind 1) and description records (kind
// 8, with the message identifier). An index entry ties a description record to its text record; both offsets
// are counted from the start of the message space.
class MessageFileReader {
  public:
    static constexpr std::int64_t kLargestMessageFile = 64 << 20;

    explicit MessageFileReader(EbcdicTextConverter& converter) : converter_(converter) {}

    // Raises DecodingFailure when a segment, a record or the heap leaves the object's data, or
    // when the descriptions found disagree with the index count.
    MessageFileContents read(std::span<const std::uint8_t> objectData);

    // The messages as ADDMSGD statements for message file `name`, after a comment saying what
    // is not decoded.
    static std::vector<std::string> addMessageStatements(const MessageFileContents& contents,
                                                         const std::string& name);

  private:
    EbcdicTextConverter& converter_;
};

}  // namespace quelvane
