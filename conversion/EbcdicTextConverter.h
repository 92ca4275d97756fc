#pragma once

#include <cstddef>
#include <cstdint>

namespace quelvane {

// The one conversion call every EBCDIC text goes through. Readers and views depend on this
// interface only, so they can be tested with any code-page pair and without the modules.
class EbcdicTextConverter {
  public:
    virtual ~EbcdicTextConverter() = default;

    // Maps `length` EBCDIC bytes at `source` to the PC code page into `target`, which holds at
    // least `length` bytes; never writes more than `length` bytes. Returns 0 on success,
    // otherwise a failure code (the target then keeps what it held).
    virtual std::uint32_t ConvertEbcdicText(const std::uint8_t* source, std::size_t length,
                                            std::uint8_t* target) = 0;
};

}  // namespace quelvane
