#include "conversion/icu/IconvHostPage.h"

#include <iconv.h>

#include <cerrno>

namespace quelvane {

namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;
constexpr std::size_t kUtf16UnitBytes = 2;

}  // namespace

std::unique_ptr<IconvHostPage> IconvHostPage::open(const std::string& iconvName) {
    // Unmapped bytes set errno here; the caller's errno must only tell of its own call.
    const int savedErrno = errno;
    iconv_t descriptor = iconv_open("UTF-16LE", iconvName.c_str());
    if (descriptor == reinterpret_cast<iconv_t>(-1)) {
        errno = savedErrno;
        return nullptr;
    }
    std::unique_ptr<IconvHostPage> page(new IconvHostPage);
    for (std::size_t byte = 0; byte < page->table_.size(); ++byte) {
        char in = static_cast<char>(byte);
        char out[4] = {};
        char* inPointer = &in;
        char* outPointer = out;
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
        const std::size_t result = iconv(descriptor, &inPointer, &inLeft, &outPointer, &outLeft);
        if (result == static_cast<std::size_t>(-1) || outLeft != sizeof out - kUtf16UnitBytes) {
            page->table_[byte] = kReplacementCharacter;
        } else {
            page->table_[byte] = static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                                       static_cast<unsigned char>(out[1]) << 8);
        }
    }
    iconv_close(descriptor);
    errno = savedErrno;
    return page;
}

void IconvHostPage::decode(std::span<const std::uint8_t> bytes, std::u16string& out,
                           std::vector<std::int32_t>* offsets) {
    out.resize(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out[i] = table_[bytes[i]];
    }
    if (offsets != nullptr) {
        offsets->resize(bytes.size());
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            (*offsets)[i] = static_cast<std::int32_t>(i);
        }
    }
}

}  // namespace quelvane
