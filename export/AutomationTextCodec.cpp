#include "export/AutomationTextCodec.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include "export/AutomationFailure.h"

namespace quelvane {

namespace {

constexpr std::int32_t kDefaultPcCodePage = 1252;

UConverter* openConverter(std::int32_t pcCodePage) {
    const std::int32_t page = pcCodePage == 0 ? kDefaultPcCodePage : pcCodePage;
    // ICU knows the Windows pages as "windows-N" and the OEM and IBM pages as "ibm-N".
    for (const char* prefix : {"windows-", "ibm-"}) {
        UErrorCode status = U_ZERO_ERROR;
        UConverter* converter = ucnv_open((prefix + std::to_string(page)).c_str(), &status);
        if (U_SUCCESS(status) && converter != nullptr) {
            return converter;
        }
    }
    throw AutomationFailure("No converter for PC code page " + std::to_string(pcCodePage));
}

}  // namespace

AutomationTextCodec::AutomationTextCodec(std::int32_t pcCodePage) : converter_(openConverter(pcCodePage)) {}

AutomationTextCodec::~AutomationTextCodec() {
    ucnv_close(converter_);
}

std::u16string AutomationTextCodec::decode(const std::string& text) {
    std::u16string wide(text.size(), u'\0');
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(converter_);
    const int32_t length = ucnv_toUChars(converter_, wide.data(), static_cast<int32_t>(wide.size()),
                                         text.data(), static_cast<int32_t>(text.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        wide.assign(static_cast<std::size_t>(length), u'\0');
        status = U_ZERO_ERROR;
        ucnv_reset(converter_);
        ucnv_toUChars(converter_, wide.data(), length, text.data(), static_cast<int32_t>(text.size()),
                      &status);
    }
    if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) {
        throw AutomationFailure(std::string("Text conversion failed: ") + u_errorName(status));
    }
    wide.resize(static_cast<std::size_t>(length));
    return wide;
}

std::string AutomationTextCodec::encode(const std::u16string& text) {
    std::string narrow(text.size() * 2, '\0');
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(converter_);
    const int32_t length = ucnv_fromUChars(converter_, narrow.data(), static_cast<int32_t>(narrow.size()),
                                           text.data(), static_cast<int32_t>(text.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        narrow.assign(static_cast<std::size_t>(length), '\0');
        status = U_ZERO_ERROR;
        ucnv_reset(converter_);
        ucnv_fromUChars(converter_, narrow.data(), length, text.data(), static_cast<int32_t>(text.size()),
                        &status);
    }
    if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) {
        throw AutomationFailure(std::string("Text conversion failed: ") + u_errorName(status));
    }
    narrow.resize(static_cast<std::size_t>(length));
    return narrow;
}

std::string AutomationTextCodec::toUtf8(const std::u16string& text) {
    std::string utf8(text.size() * 3, '\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(utf8.data(), static_cast<int32_t>(utf8.size()), &length, text.data(),
                       static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) {
        throw AutomationFailure(std::string("Text conversion failed: ") + u_errorName(status));
    }
    utf8.resize(static_cast<std::size_t>(length));
    return utf8;
}

std::u16string AutomationTextCodec::fromUtf8(const std::string& text) {
    std::u16string wide(text.size(), u'\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(wide.data(), static_cast<int32_t>(wide.size()), &length, text.data(),
                         static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) {
        throw AutomationFailure(std::string("Text conversion failed: ") + u_errorName(status));
    }
    wide.resize(static_cast<std::size_t>(length));
    return wide;
}

}  // namespace quelvane
