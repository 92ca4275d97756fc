#pragma once

#include "conversion/ConversionBackend.h"

namespace quelvane {

// The pages of CodePageRegistry.h through ICU, and through glibc's iconv for the host pages ICU
// lacks; the CCSIDs of the integrated file system through ICU's "ibm-<CCSID>" and "UTF-8".
class IcuConversionBackend final : public ConversionBackend {
  public:
    static IcuConversionBackend& instance();

    std::unique_ptr<CodePageDecoder> openHostPage(std::int32_t windowsCodePage) override;
    std::unique_ptr<PcPageCodec> openPcPage(std::int32_t windowsCodePage) override;
    std::unique_ptr<CodePageDecoder> openCcsidPage(std::uint16_t ccsid) override;
    std::unique_ptr<CodePageDecoder> openStoredCcsid(std::uint16_t ccsid) override;
    std::string_view name() const override { return "icu"; }
};

}  // namespace quelvane
