#include "conversion/icu/IcuPcCodec.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

namespace quelvane {

namespace {

// A character the PC page lacks becomes the page's substitution character. ICU's default
// would drop some (the zero-width ones) without a trace, losing a source byte unseen.
void substituteAlways(const void*, UConverterFromUnicodeArgs* args, const UChar*, int32_t, UChar32,
                      UConverterCallbackReason reason, UErrorCode* error) {
    if (reason > UCNV_IRREGULAR) {
        return;
    }
    *error = U_ZERO_ERROR;
    ucnv_cbFromUWriteSub(args, 0, error);
}

UConverter* openEncoder(const std::string& name, PcPageCodec::Substitution substitution) {
    UErrorCode error = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(name.c_str(), &error);
    if (U_FAILURE(error) || converter == nullptr) {
        return nullptr;
    }
    switch (substitution) {
        case PcPageCodec::Substitution::pageCharacter:
            ucnv_setFromUCallBack(converter, substituteAlways, nullptr, nullptr, nullptr, &error);
            break;
        case PcPageCodec::Substitution::pageCharacterDroppingIgnorable:
            break;
        case PcPageCodec::Substitution::questionMarkDroppingIgnorable:
            ucnv_setSubstChars(converter, "?", 1, &error);
            break;
    }
    if (U_FAILURE(error)) {
        ucnv_close(converter);
        return nullptr;
    }
    return converter;
}

}  // namespace

std::unique_ptr<IcuPcCodec> IcuPcCodec::open(const std::string& converterName) {
    auto decoder = IcuDecoder::open(converterName, IcuDecoder::Unmapped::pageSubstitute);
    if (decoder == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<IcuPcCodec>(new IcuPcCodec(converterName, std::move(decoder)));
}

IcuPcCodec::IcuPcCodec(std::string converterName, std::unique_ptr<IcuDecoder> decoder)
    : converterName_(std::move(converterName)), decoder_(std::move(decoder)) {}

IcuPcCodec::~IcuPcCodec() {
    for (UConverter* encoder : encoders_) {
        if (encoder != nullptr) {
            ucnv_close(encoder);
        }
    }
}

void IcuPcCodec::decode(std::span<const std::uint8_t> bytes, std::u16string& out,
                        std::vector<std::int32_t>* offsets) {
    decoder_->decode(bytes, out, offsets);
}

UConverter* IcuPcCodec::encoderFor(Substitution substitution) {
    UConverter*& encoder = encoders_[static_cast<std::size_t>(substitution)];
    if (encoder == nullptr) {
        encoder = openEncoder(converterName_, substitution);
    }
    return encoder;
}

void IcuPcCodec::encode(std::u16string_view text, Substitution substitution, std::string& out,
                        std::vector<std::int32_t>* offsets) {
    UConverter* encoder = encoderFor(substitution);
    if (encoder == nullptr) {
        out.clear();
        return;
    }
    const auto capacity =
        static_cast<std::size_t>(UCNV_GET_MAX_BYTES_FOR_STRING(text.size(), ucnv_getMaxCharSize(encoder)));
    out.resize(capacity);
    if (offsets != nullptr) {
        offsets->resize(capacity);
    }
    ucnv_resetFromUnicode(encoder);
    char* target = out.data();
    const UChar* source = text.data();
    UErrorCode error = U_ZERO_ERROR;
    ucnv_fromUnicode(encoder, &target, out.data() + capacity, &source, text.data() + text.size(),
                     offsets != nullptr ? offsets->data() : nullptr, true, &error);
    const auto produced = U_SUCCESS(error) ? static_cast<std::size_t>(target - out.data()) : 0;
    out.resize(produced);
    if (offsets != nullptr) {
        offsets->resize(produced);
    }
}

}  // namespace quelvane
