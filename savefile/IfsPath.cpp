#include "savefile/IfsPath.h"

namespace quelvane {

bool isSafeIfsName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    return name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

std::optional<std::vector<std::string>> safeIfsComponents(const std::string& path) {
    if (path.empty() || path.front() != '/') {
        return std::nullopt;
    }
    std::vector<std::string> names;
    std::size_t start = 1;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        std::string name = path.substr(start, end - start);
        if (!isSafeIfsName(name)) {
            return std::nullopt;
        }
        names.push_back(std::move(name));
        start = end + 1;
    }
    if (path.size() > 1 && path.back() == '/') {
        return std::nullopt;
    }
    return names;
}

std::string printableIfsPath(const std::string& path) {
    constexpr char kHex[] = "0123456789ABCDEF";
    constexpr unsigned char kFirstPrintable = 0x20;
    constexpr unsigned char kDelete = 0x7F;
    std::string text;
    for (char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < kFirstPrintable || byte == kDelete) {
            text += "\\x";
            text.push_back(kHex[byte >> 4]);
            text.push_back(kHex[byte & 0x0F]);
        } else {
            text.push_back(c);
        }
    }
    return text;
}

std::optional<std::string> utf16BigEndianToUtf8(const std::uint8_t* bytes, std::size_t count) {
    if (count % 2 != 0) {
        return std::nullopt;
    }
    std::string text;
    for (std::size_t i = 0; i < count; i += 2) {
        std::uint32_t unit = (static_cast<std::uint32_t>(bytes[i]) << 8) | bytes[i + 1];
        std::uint32_t code = unit;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 3 >= count) {
                return std::nullopt;
            }
            std::uint32_t low = (static_cast<std::uint32_t>(bytes[i + 2]) << 8) | bytes[i + 3];
            if (low < 0xDC00 || low > 0xDFFF) {
                return std::nullopt;
            }
            code = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return std::nullopt;
        }
        if (code < 0x80) {
            text += static_cast<char>(code);
        } else if (code < 0x800) {
            text += static_cast<char>(0xC0 | (code >> 6));
            text += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            text += static_cast<char>(0xE0 | (code >> 12));
            text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            text += static_cast<char>(0xF0 | (code >> 18));
            text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return text;
}

}  // namespace quelvane
