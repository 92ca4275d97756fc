#include "conversion/PcPageWideText.h"

#include <algorithm>

#include "conversion/ConversionBackend.h"
#include "conversion/UnknownPcPage.h"
#include "conversion/Utf8Text.h"

namespace quelvane {

namespace {

std::unique_ptr<PcPageCodec> openPage(std::int32_t pcCodePage) {
    auto page = ConversionBackend::standard().openPcPage(pcCodePage);
    if (page == nullptr) {
        throw UnknownPcPage("No converter for PC code page " + std::to_string(pcCodePage));
    }
    return page;
}

}  // namespace

PcPageWideText::PcPageWideText(std::int32_t pcCodePage) : page_(openPage(pcCodePage)) {
    std::string ascii;
    for (int byte = 0; byte < 0x80; ++byte) {
        ascii += static_cast<char>(byte);
    }
    asciiIsItself_ = decode(ascii) == std::u16string(ascii.begin(), ascii.end());
}

PcPageWideText::~PcPageWideText() = default;

std::u16string PcPageWideText::decode(const std::string& text) {
    if (asciiIsItself_ && std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; })) {
        return {text.begin(), text.end()};
    }
    std::u16string wide;
    page_->decode({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, wide, nullptr);
    return wide;
}

std::string PcPageWideText::encode(const std::u16string& text) {
    std::string narrow;
    page_->encode(text, PcPageCodec::Substitution::pageCharacterDroppingIgnorable, narrow, nullptr);
    return narrow;
}

std::string PcPageWideText::toUtf8(const std::u16string& text) {
    return utf16ToUtf8(text);
}

std::u16string PcPageWideText::fromUtf8(const std::string& text) {
    return utf8ToUtf16(text);
}

}  // namespace quelvane
