#include "export/AutomationTextCodec.h"

#include "conversion/ConversionBackend.h"
#include "conversion/Utf8Text.h"
#include "export/AutomationFailure.h"

namespace quelvane {

namespace {

std::unique_ptr<PcPageCodec> openPage(std::int32_t pcCodePage) {
    auto page = ConversionBackend::standard().openPcPage(pcCodePage);
    if (page == nullptr) {
        throw AutomationFailure("No converter for PC code page " + std::to_string(pcCodePage));
    }
    return page;
}

}  // namespace

AutomationTextCodec::AutomationTextCodec(std::int32_t pcCodePage) : page_(openPage(pcCodePage)) {}

AutomationTextCodec::~AutomationTextCodec() = default;

std::u16string AutomationTextCodec::decode(const std::string& text) {
    std::u16string wide;
    page_->decode({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, wide, nullptr);
    return wide;
}

std::string AutomationTextCodec::encode(const std::u16string& text) {
    std::string narrow;
    page_->encode(text, PcPageCodec::Substitution::pageCharacterDroppingIgnorable, narrow, nullptr);
    return narrow;
}

std::string AutomationTextCodec::toUtf8(const std::u16string& text) {
    return utf16ToUtf8(text);
}

std::u16string AutomationTextCodec::fromUtf8(const std::string& text) {
    return utf8ToUtf16(text);
}

}  // namespace quelvane
