#include "conversion/PcTextToUtf8.h"

#include <vector>

#include <unicode/ucnv.h>

#include "conversion/modules/CodePageNames.h"

namespace quelvane {

PcTextToUtf8::PcTextToUtf8(std::int32_t pcCodePage) {
    UErrorCode status = U_ZERO_ERROR;
    converter_ = ucnv_open(modules::pcPageConverterName(pcCodePage), &status);
    if (U_FAILURE(status)) {
        converter_ = nullptr;
    }
}

PcTextToUtf8::~PcTextToUtf8() {
    if (converter_ != nullptr) {
        ucnv_close(converter_);
    }
}

std::string PcTextToUtf8::toUtf8(const std::string& pcText) {
    if (converter_ == nullptr || pcText.empty()) {
        return pcText;
    }
    UErrorCode status = U_ZERO_ERROR;
    std::vector<UChar> wide(pcText.size() * 2 + 1);
    int32_t wideLength = ucnv_toUChars(converter_, wide.data(), static_cast<int32_t>(wide.size()),
                                       pcText.data(), static_cast<int32_t>(pcText.size()), &status);
    if (U_FAILURE(status)) {
        return pcText;
    }
    UConverter* utf8 = ucnv_open("UTF-8", &status);
    std::vector<char> out(static_cast<std::size_t>(wideLength) * 4 + 1);
    int32_t outLength =
        ucnv_fromUChars(utf8, out.data(), static_cast<int32_t>(out.size()), wide.data(), wideLength, &status);
    ucnv_close(utf8);
    if (U_FAILURE(status)) {
        return pcText;
    }
    return std::string(out.data(), static_cast<std::size_t>(outLength));
}

}  // namespace quelvane
