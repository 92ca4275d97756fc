#pragma once

#include <streambuf>

#include "savefile/AtomicFile.h"

namespace quelvane {

// An ostream's buffer that hands what is written on to an open AtomicFile, which buffers it
// itself; for a writer that speaks to a std::ostream, so that its output goes to the temporary
// file as it is made instead of being gathered whole in memory first.
class AtomicFileStreamBuffer final : public std::streambuf {
  public:
    explicit AtomicFileStreamBuffer(AtomicFile& file) : file_(file) {}

  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        const char byte = traits_type::to_char_type(c);
        file_.write(&byte, 1);
        return c;
    }
    std::streamsize xsputn(const char* bytes, std::streamsize count) override {
        file_.write(bytes, static_cast<std::size_t>(count));
        return count;
    }

  private:
    AtomicFile& file_;
};

}  // namespace quelvane
