#include "conversion/PcTextToUtf8.h"

#include <algorithm>

#include "conversion/Utf8Text.h"

namespace quelvane {

namespace {

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

PcTextToUtf8::PcTextToUtf8(std::int32_t pcCodePage, ConversionBackend& backend)
    : page_(backend.openPcPage(pcCodePage)) {}

PcTextToUtf8::~PcTextToUtf8() = default;

void PcTextToUtf8::toUtf8(std::string_view pcText, std::string& out) {
    if (!ready() || isAscii(pcText)) {
        out.assign(pcText);
        return;
    }
    page_->decode({reinterpret_cast<const std::uint8_t*>(pcText.data()), pcText.size()}, wide_, nullptr);
    out.clear();
    appendUtf8(wide_, out);
}

std::string PcTextToUtf8::toUtf8(std::string_view pcText) {
    std::string out;
    toUtf8(pcText, out);
    return out;
}

void PcTextToUtf8::toUtf8InPlace(std::string& text) {
    if (!ready() || isAscii(text)) {
        return;
    }
    toUtf8(text, work_);
    text.swap(work_);
}

}  // namespace quelvane
