#include "conversion/PcTextToUtf8.h"

#include <algorithm>

#include <unicode/ucnv.h>

#include "conversion/modules/CodePageNames.h"

namespace quelvane {

namespace {

// A UTF-16 unit becomes at most three UTF-8 bytes; a surrogate pair, two units, four.
constexpr std::size_t kUtf8PerUnit = 3;

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

PcTextToUtf8::PcTextToUtf8(std::int32_t pcCodePage) {
    UErrorCode status = U_ZERO_ERROR;
    converter_ = ucnv_open(modules::pcPageConverterName(pcCodePage), &status);
    if (U_FAILURE(status)) {
        converter_ = nullptr;
    }
    status = U_ZERO_ERROR;
    utf8_ = ucnv_open("UTF-8", &status);
    if (U_FAILURE(status)) {
        utf8_ = nullptr;
    }
}

PcTextToUtf8::~PcTextToUtf8() {
    if (converter_ != nullptr) {
        ucnv_close(converter_);
    }
    if (utf8_ != nullptr) {
        ucnv_close(utf8_);
    }
}

void PcTextToUtf8::toUtf8(std::string_view pcText, std::string& out) {
    if (!ready() || isAscii(pcText)) {
        out.assign(pcText);
        return;
    }
    UErrorCode status = U_ZERO_ERROR;
    wide_.resize(pcText.size() * 2 + 1);
    const int32_t wideLength = ucnv_toUChars(converter_, wide_.data(), static_cast<int32_t>(wide_.size()),
                                             pcText.data(), static_cast<int32_t>(pcText.size()), &status);
    if (U_FAILURE(status)) {
        out.assign(pcText);
        return;
    }
    out.resize(static_cast<std::size_t>(wideLength) * kUtf8PerUnit + 1);
    const int32_t outLength = ucnv_fromUChars(utf8_, out.data(), static_cast<int32_t>(out.size()),
                                              wide_.data(), wideLength, &status);
    if (U_FAILURE(status)) {
        out.assign(pcText);
        return;
    }
    out.resize(static_cast<std::size_t>(outLength));
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
