#include "extract/JsonWriter.h"

namespace quelvane {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
constexpr unsigned char kFirstPrintable = 0x20;

// The length of the valid UTF-8 sequence starting at `at`, or 0 when none starts there.
std::size_t utf8SequenceLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    unsigned minimum = 0;
    unsigned code = 0;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        minimum = 0x80;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        minimum = 0x800;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        minimum = 0x10000;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (next & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < minimum || code > 0x10FFFF || surrogate ? 0 : length;
}

}  // namespace

std::string JsonWriter::quoted(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size() + 2);
    out.push_back('"');
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else if (c == '\n') {
            out.append("\\n");
        } else if (c == '\r') {
            out.append("\\r");
        } else if (c == '\t') {
            out.append("\\t");
        } else if (c < kFirstPrintable) {
            out.append("\\u00");
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 0x0F]);
        } else {
            const std::size_t length = utf8SequenceLength(text, i);
            if (length == 0) {
                out.append(kReplacement);
                ++i;
                continue;
            }
            out.append(text.substr(i, length));
            i += length;
            continue;
        }
        ++i;
    }
    out.push_back('"');
    return out;
}

void JsonWriter::newline() {
    text_.push_back('\n');
    text_.append(hasItems_.size() * 2, ' ');
}

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!hasItems_.empty()) {
        if (hasItems_.back()) {
            text_.push_back(',');
        }
        hasItems_.back() = true;
        newline();
    }
}

void JsonWriter::key(std::string_view name) {
    beforeValue();
    text_.append(quoted(name));
    text_.append(": ");
    afterKey_ = true;
}

void JsonWriter::beginObject() {
    beforeValue();
    text_.push_back('{');
    hasItems_.push_back(false);
}

void JsonWriter::endObject() {
    const bool items = hasItems_.back();
    hasItems_.pop_back();
    if (items) {
        newline();
    }
    text_.push_back('}');
    if (hasItems_.empty()) {
        text_.push_back('\n');
    }
}

void JsonWriter::beginArray() {
    beforeValue();
    text_.push_back('[');
    hasItems_.push_back(false);
}

void JsonWriter::endArray() {
    const bool items = hasItems_.back();
    hasItems_.pop_back();
    if (items) {
        newline();
    }
    text_.push_back(']');
    if (hasItems_.empty()) {
        text_.push_back('\n');
    }
}

void JsonWriter::value(std::string_view text) {
    beforeValue();
    text_.append(quoted(text));
}

void JsonWriter::value(std::int64_t number) {
    beforeValue();
    text_.append(std::to_string(number));
}

void JsonWriter::value(bool flag) {
    beforeValue();
    text_.append(flag ? "true" : "false");
}

void JsonWriter::null() {
    beforeValue();
    text_.append("null");
}

}  // namespace quelvane
