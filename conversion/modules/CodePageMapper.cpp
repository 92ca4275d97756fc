#include "conversion/modules/CodePageMapper.h"

#include <iconv.h>
#include <unicode/ucnv_cb.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "conversion/modules/CodePageNames.h"

namespace quelvane::modules {

namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;

// A host byte without a mapping becomes U+FFFD, which no PC page holds, so the PC converter
// puts its own substitution character in its place. ICU's default would give U+001A for some
// single-byte pages, which the PC pages map to a control code instead.
void substituteReplacement(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                           UConverterCallbackReason reason, UErrorCode* error) {
    if (reason > UCNV_IRREGULAR) {
        return;
    }
    *error = U_ZERO_ERROR;
    const UChar replacement = kReplacementCharacter;
    ucnv_cbToUWriteUChars(args, &replacement, 1, 0, error);
}

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

// The iconv pages are all single-byte: one table of 256 code units serves every call.
bool fillTableFromIconv(const char* name, std::array<char16_t, 256>& table) {
    // Unmapped bytes set errno here; the caller's errno must only tell of its own call.
    const int savedErrno = errno;
    iconv_t descriptor = iconv_open("UTF-16LE", name);
    if (descriptor == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    for (std::size_t byte = 0; byte < table.size(); ++byte) {
        char in = static_cast<char>(byte);
        char out[4] = {};
        char* inPointer = &in;
        char* outPointer = out;
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
        const std::size_t result = iconv(descriptor, &inPointer, &inLeft, &outPointer, &outLeft);
        if (result == static_cast<std::size_t>(-1) || outLeft != sizeof out - 2) {
            table[byte] = kReplacementCharacter;
        } else {
            table[byte] = static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                                static_cast<unsigned char>(out[1]) << 8);
        }
    }
    iconv_close(descriptor);
    errno = savedErrno;
    return true;
}

}  // namespace

std::unique_ptr<CodePageMapper> CodePageMapper::open(std::int32_t ebcdicCodePage, std::int32_t pcCodePage,
                                                     Lookup lookup) {
    const auto hostSource = hostPageSource(ebcdicCodePage);
    const char* pcName = pcPageConverterName(pcCodePage);
    if (!hostSource || pcName == nullptr) {
        return nullptr;
    }
    std::unique_ptr<CodePageMapper> mapper(new CodePageMapper);
    UErrorCode error = U_ZERO_ERROR;
    if (hostSource->library == HostPageSource::Library::icu) {
        mapper->host_ = ucnv_open(hostSource->name, &error);
        if (U_FAILURE(error)) {
            mapper->host_ = nullptr;
            return nullptr;
        }
        ucnv_setToUCallBack(mapper->host_, substituteReplacement, nullptr, nullptr, nullptr, &error);
    } else if (!fillTableFromIconv(hostSource->name, mapper->hostTable_)) {
        return nullptr;
    }
    mapper->pc_ = ucnv_open(pcName, &error);
    if (U_FAILURE(error)) {
        mapper->pc_ = nullptr;
        return nullptr;
    }
    ucnv_setFromUCallBack(mapper->pc_, substituteAlways, nullptr, nullptr, nullptr, &error);
    if (lookup == Lookup::byteTable) {
        mapper->fillByteTable();
    }
    return mapper;
}

// A single-byte host page turns each byte into the same characters whatever stands around it,
// and a PC page without shift states writes each character the same way wherever it stands: a
// run's conversion is then the concatenation of its bytes' conversions.
void CodePageMapper::fillByteTable() {
    const bool singleByteHost = host_ == nullptr || ucnv_getType(host_) == UCNV_SBCS;
    const UConverterType pcType = ucnv_getType(pc_);
    const bool statelessPc = pcType == UCNV_SBCS || pcType == UCNV_DBCS || pcType == UCNV_MBCS ||
                             pcType == UCNV_LATIN_1 || pcType == UCNV_US_ASCII || pcType == UCNV_UTF8;
    if (!singleByteHost || !statelessPc) {
        return;
    }
    for (std::size_t byte = 1; byte < byteTable_.size(); ++byte) {
        result_.clear();
        characterStart_.clear();
        const auto hostByte = static_cast<std::uint8_t>(byte);
        appendRun(&hostByte, 1);
        if (result_.size() > kMaxByteText) {
            return;
        }
        ByteText& text = byteTable_[byte];
        text.length = static_cast<std::uint8_t>(result_.size());
        std::copy(result_.begin(), result_.end(), text.bytes.begin());
        std::copy(characterStart_.begin(), characterStart_.end(), text.starts.begin());
    }
    byteTable_[0] = ByteText{{0}, {true}, 1};
    byteTableReady_ = true;
    oneBytePerByte_ = std::all_of(byteTable_.begin(), byteTable_.end(),
                                  [](const ByteText& text) { return text.length == 1; });
}

CodePageMapper::~CodePageMapper() {
    if (host_ != nullptr) {
        ucnv_close(host_);
    }
    if (pc_ != nullptr) {
        ucnv_close(pc_);
    }
}

std::size_t CodePageMapper::map(const std::uint8_t* source, std::size_t sourceLength, std::uint8_t* target,
                                std::size_t targetLength) {
    if (oneBytePerByte_) {
        return mapByteForByte(source, sourceLength, target, targetLength);
    }
    result_.clear();
    characterStart_.clear();
    if (byteTableReady_) {
        collectThroughTable(source, sourceLength);
    } else {
        collectThroughConverters(source, sourceLength);
    }

    std::size_t kept = result_.size();
    if (kept > targetLength) {
        const bool endsInNul = sourceLength > 0 && source[sourceLength - 1] == 0;
        kept = endsInNul && targetLength > 0 ? targetLength - 1 : targetLength;
        while (kept > 0 && !characterStart_[kept]) {
            --kept;
        }
    }
    std::copy_n(result_.begin(), kept, target);
    std::fill(target + kept, target + targetLength, std::uint8_t{0});
    return kept;
}

void CodePageMapper::collectThroughTable(const std::uint8_t* source, std::size_t sourceLength) {
    for (std::size_t i = 0; i < sourceLength; ++i) {
        const ByteText& text = byteTable_[source[i]];
        result_.insert(result_.end(), text.bytes.begin(), text.bytes.begin() + text.length);
        characterStart_.insert(characterStart_.end(), text.starts.begin(), text.starts.begin() + text.length);
    }
}

// Runs between NULs go through the converters whole: a mixed host page's shift state lasts to
// the end of its run.
void CodePageMapper::collectThroughConverters(const std::uint8_t* source, std::size_t sourceLength) {
    std::size_t position = 0;
    while (position < sourceLength) {
        if (source[position] == 0) {
            result_.push_back(0);
            characterStart_.push_back(true);
            ++position;
            continue;
        }
        const auto* runEnd =
            static_cast<const std::uint8_t*>(std::memchr(source + position, 0, sourceLength - position));
        const std::size_t runLength = runEnd == nullptr
                                          ? sourceLength - position
                                          : static_cast<std::size_t>(runEnd - (source + position));
        appendRun(source + position, runLength);
        position += runLength;
    }
}

// Every byte a character: the text is cut exactly at the target's size, one byte short of it
// when the source ends in NUL, as the general path cuts it.
std::size_t CodePageMapper::mapByteForByte(const std::uint8_t* source, std::size_t sourceLength,
                                           std::uint8_t* target, std::size_t targetLength) const {
    std::size_t kept = sourceLength;
    if (kept > targetLength) {
        const bool endsInNul = source[sourceLength - 1] == 0;
        kept = endsInNul && targetLength > 0 ? targetLength - 1 : targetLength;
    }
    for (std::size_t i = 0; i < kept; ++i) {
        target[i] = byteTable_[source[i]].bytes[0];
    }
    std::fill(target + kept, target + targetLength, std::uint8_t{0});
    return kept;
}

void CodePageMapper::decodeRun(const std::uint8_t* run, std::size_t length) {
    unicode_.clear();
    if (host_ == nullptr) {
        for (std::size_t i = 0; i < length; ++i) {
            unicode_.push_back(hostTable_[run[i]]);
        }
        return;
    }
    // A host byte mostly yields one code unit and a double-byte character at most two; a
    // table that maps one byte to a sequence makes ICU ask for more room.
    unicode_.resize(length + 1);
    for (int attempt = 0; attempt < 2; ++attempt) {
        UErrorCode error = U_ZERO_ERROR;
        const int32_t produced =
            ucnv_toUChars(host_, unicode_.data(), static_cast<int32_t>(unicode_.size()),
                          reinterpret_cast<const char*>(run), static_cast<int32_t>(length), &error);
        if (error == U_BUFFER_OVERFLOW_ERROR) {
            unicode_.resize(static_cast<std::size_t>(produced) + 1);
            continue;
        }
        unicode_.resize(U_SUCCESS(error) ? static_cast<std::size_t>(produced) : 0);
        return;
    }
    unicode_.clear();
}

void CodePageMapper::appendRun(const std::uint8_t* run, std::size_t length) {
    decodeRun(run, length);
    if (unicode_.empty()) {
        return;
    }
    const std::size_t capacity =
        static_cast<std::size_t>(UCNV_GET_MAX_BYTES_FOR_STRING(unicode_.size(), ucnv_getMaxCharSize(pc_)));
    encoded_.resize(capacity);
    offsets_.resize(capacity);
    ucnv_resetFromUnicode(pc_);
    char* out = encoded_.data();
    const UChar* in = unicode_.data();
    UErrorCode error = U_ZERO_ERROR;
    ucnv_fromUnicode(pc_, &out, encoded_.data() + capacity, &in, unicode_.data() + unicode_.size(),
                     offsets_.data(), true, &error);
    if (U_FAILURE(error)) {
        return;
    }
    const auto produced = static_cast<std::size_t>(out - encoded_.data());
    for (std::size_t i = 0; i < produced; ++i) {
        result_.push_back(static_cast<std::uint8_t>(encoded_[i]));
        characterStart_.push_back(i == 0 || offsets_[i] != offsets_[i - 1]);
    }
}

}  // namespace quelvane::modules
