#include "conversion/PcPageWideText.h"

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

PcPageWideText::PcPageWideText(std::int32_t pcCodePage) : page_(openPage(pcCodePage)) {}

PcPageWideText::~PcPageWideText() = default;

std::u16string PcPageWideText::decode(const std::string& text) {
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
