#include "extract/CsvWriter.h"

#include <array>

namespace quelvane {

namespace {

constexpr std::string_view kRowEnd = "\r\n";

// The bytes that make a field quoted.
constexpr std::array<bool, 256> quotedBytes() {
    std::array<bool, 256> bytes{};
    bytes[static_cast<unsigned char>(',')] = true;
    bytes[static_cast<unsigned char>('"')] = true;
    bytes['\r'] = true;
    bytes['\n'] = true;
    return bytes;
}

constexpr std::array<bool, 256> kQuotedBytes = quotedBytes();

// A scan of its own, one table look a byte: find_first_of looks each byte up in the set with a
// call of its own, and every field of every record passes here.
bool needsQuotes(std::string_view text) {
    for (const char c : text) {
        if (kQuotedBytes[static_cast<unsigned char>(c)]) {
            return true;
        }
    }
    return false;
}

}  // namespace

void CsvWriter::field(std::string_view text) {
    if (fieldsInRow_ > 0) {
        out_.put(',');
    }
    ++fieldsInRow_;
    lastEmpty_ = text.empty();
    if (!needsQuotes(text)) {
        out_.write(text);
        return;
    }
    out_.put('"');
    for (std::size_t start = 0;;) {
        const std::size_t quote = text.find('"', start);
        if (quote == std::string_view::npos) {
            out_.write(text.substr(start));
            break;
        }
        out_.write(text.substr(start, quote + 1 - start));
        out_.put('"');
        start = quote + 1;
    }
    out_.put('"');
}

void CsvWriter::plainField(std::string_view text) {
    if (fieldsInRow_ > 0) {
        out_.put(',');
    }
    ++fieldsInRow_;
    lastEmpty_ = text.empty();
    out_.write(text);
}

void CsvWriter::emptyText() {
    if (fieldsInRow_ > 0) {
        out_.put(',');
    }
    ++fieldsInRow_;
    lastEmpty_ = false;
    out_.write("\"\"");
}

void CsvWriter::endRow() {
    if (fieldsInRow_ == 1 && lastEmpty_) {
        out_.write("\"\"");
    }
    out_.write(kRowEnd);
    fieldsInRow_ = 0;
}

}  // namespace quelvane
