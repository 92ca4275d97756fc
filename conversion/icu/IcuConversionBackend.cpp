#include "conversion/icu/IcuConversionBackend.h"

#include <string>

#include "conversion/CodePageRegistry.h"
#include "conversion/icu/IconvHostPage.h"
#include "conversion/icu/IcuDecoder.h"
#include "conversion/icu/IcuPcCodec.h"

namespace quelvane {

IcuConversionBackend& IcuConversionBackend::instance() {
    static IcuConversionBackend backend;
    return backend;
}

std::unique_ptr<CodePageDecoder> IcuConversionBackend::openHostPage(std::int32_t windowsCodePage) {
    const HostPageEntry* entry = findHostPage(windowsCodePage);
    if (entry == nullptr) {
        return nullptr;
    }
    const std::string name(entry->converter);
    if (entry->library == ConverterLibrary::iconv) {
        return IconvHostPage::open(name);
    }
    return IcuDecoder::open(name, IcuDecoder::Unmapped::replacementCharacter);
}

std::unique_ptr<PcPageCodec> IcuConversionBackend::openPcPage(std::int32_t windowsCodePage) {
    const PcPageEntry* entry = findPcPage(windowsCodePage);
    if (entry == nullptr) {
        return nullptr;
    }
    return IcuPcCodec::open(std::string(entry->converter));
}

std::unique_ptr<CodePageDecoder> IcuConversionBackend::openCcsidPage(std::uint16_t ccsid) {
    const std::string name = ccsid == kUtf8Ccsid ? std::string("UTF-8") : "ibm-" + std::to_string(ccsid);
    return IcuDecoder::open(name, IcuDecoder::Unmapped::pageSubstitute);
}

std::unique_ptr<CodePageDecoder> IcuConversionBackend::openStoredCcsid(std::uint16_t ccsid) {
    const StoredCcsidEntry* entry = findStoredCcsid(ccsid);
    if (entry == nullptr || entry->converter.empty()) {
        return nullptr;
    }
    const std::string name(entry->converter);
    if (entry->library == ConverterLibrary::iconv) {
        return IconvHostPage::open(name);
    }
    return IcuDecoder::open(name, IcuDecoder::Unmapped::replacementCharacter);
}

}  // namespace quelvane
