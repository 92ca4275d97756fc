#include "conversion/icu/IcuDecoder.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

namespace quelvane {

namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;

// ICU's default would give U+001A for some single-byte pages, which the PC pages map to a
// control code instead.
void substituteReplacement(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                           UConverterCallbackReason reason, UErrorCode* error) {
    if (reason > UCNV_IRREGULAR) {
        return;
    }
    *error = U_ZERO_ERROR;
    const UChar replacement = kReplacementCharacter;
    ucnv_cbToUWriteUChars(args, &replacement, 1, 0, error);
}

CodePageDecoder::Shape shapeOf(UConverter* converter) {
    switch (ucnv_getType(converter)) {
        case UCNV_SBCS:
        case UCNV_LATIN_1:
        case UCNV_US_ASCII:
            return CodePageDecoder::Shape::singleByte;
        case UCNV_DBCS:
        case UCNV_MBCS:
        case UCNV_UTF8:
            return CodePageDecoder::Shape::multiByte;
        default:
            return CodePageDecoder::Shape::shiftStates;
    }
}

}  // namespace

std::unique_ptr<IcuDecoder> IcuDecoder::open(const std::string& converterName, Unmapped unmapped) {
    UErrorCode error = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(converterName.c_str(), &error);
    if (U_FAILURE(error) || converter == nullptr) {
        return nullptr;
    }
    std::unique_ptr<IcuDecoder> decoder(new IcuDecoder(converter));
    if (unmapped == Unmapped::replacementCharacter) {
        ucnv_setToUCallBack(converter, substituteReplacement, nullptr, nullptr, nullptr, &error);
        if (U_FAILURE(error)) {
            return nullptr;
        }
    }
    return decoder;
}

IcuDecoder::IcuDecoder(UConverter* converter) : converter_(converter), shape_(shapeOf(converter)) {}

IcuDecoder::~IcuDecoder() {
    ucnv_close(converter_);
}

// A byte mostly yields one code unit and a double-byte character at most two; a table that
// maps one byte to a sequence needs more room, and the text is converted again.
void IcuDecoder::decode(std::span<const std::uint8_t> bytes, std::u16string& out,
                        std::vector<std::int32_t>* offsets) {
    std::size_t room = bytes.size() + 1;
    for (;;) {
        out.resize(room);
        if (offsets != nullptr) {
            offsets->resize(room);
        }
        ucnv_resetToUnicode(converter_);
        const auto* source = reinterpret_cast<const char*>(bytes.data());
        UChar* target = out.data();
        UErrorCode error = U_ZERO_ERROR;
        ucnv_toUnicode(converter_, &target, out.data() + out.size(), &source, source + bytes.size(),
                       offsets != nullptr ? offsets->data() : nullptr, true, &error);
        if (error == U_BUFFER_OVERFLOW_ERROR) {
            room *= 2;
            continue;
        }
        const auto produced = U_SUCCESS(error) ? static_cast<std::size_t>(target - out.data()) : 0;
        out.resize(produced);
        if (offsets != nullptr) {
            offsets->resize(produced);
        }
        return;
    }
}

}  // namespace quelvane
