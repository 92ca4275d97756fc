#pragma once

#include <string>

#include "savefile/DecodingFailure.h"

namespace quelvane {

// Raised by the field decoders for a stored value that has no text form: a date whose day
// number lies outside 0001-01-01 to 9999-12-30. The records view ends its listing on it; the
// exports handle it their own way.
class FieldDecodingFailure : public DecodingFailure {
  public:
    explicit FieldDecodingFailure(const std::string& what) : DecodingFailure(what) {}
};

}  // namespace quelvane
