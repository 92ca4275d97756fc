#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quelvane {

// Builds a JSON text (RFC 8259) in memory, indented by two blanks per level. Strings are taken as
// UTF-8 and escaped: the double quote, the backslash and every control character below 0x20;
// bytes that are not valid UTF-8 become U+FFFD, so the output is always valid JSON.
class JsonWriter {
  public:
    void beginObject();
    void endObject();
    void beginArray();
    void endArray();

    // The name of the next member of the enclosing object.
    void key(std::string_view name);

    void value(std::string_view text);
    void value(const char* text) { value(std::string_view(text)); }
    void value(std::int64_t number);
    void value(std::int32_t number) { value(std::int64_t{number}); }
    void value(bool flag);
    void null();

    // Shorthands for a member with a value.
    template <typename T>
    void member(std::string_view name, const T& v) {
        key(name);
        value(v);
    }

    const std::string& text() const { return text_; }

    // `text` as a JSON string, quotes included.
    static std::string quoted(std::string_view text);

  private:
    void beforeValue();
    void newline();

    std::string text_;
    std::vector<bool> hasItems_;
    bool afterKey_ = false;
};

}  // namespace quelvane
