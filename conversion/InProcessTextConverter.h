#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "conversion/ConversionBackend.h"
#include "conversion/EbcdicTextConverter.h"

namespace quelvane {

namespace modules {
class CodePageMapper;
}

// The conversion the two modules give, mapped in this process with no module to load: for a
// build that cannot load libraries at run time (WebAssembly). Gives the same bytes and codes as
// ConversionLayer with its modules bound. Safe for use by several threads.
class InProcessTextConverter final : public EbcdicTextConverter {
  public:
    explicit InProcessTextConverter(ConversionBackend& backend = ConversionBackend::standard());
    ~InProcessTextConverter() override;

    InProcessTextConverter(const InProcessTextConverter&) = delete;
    InProcessTextConverter& operator=(const InProcessTextConverter&) = delete;

    // As ConversionLayer: `length` must fit in 16 bits; a pair the backend cannot map gives a
    // nonzero status and leaves the target untouched.
    std::uint32_t ConvertEbcdicText(const std::uint8_t* source, std::size_t length,
                                    std::uint8_t* target) override;

    // The current pair; 0 on the PC side stands for windows-1252.
    std::int32_t EbcdicCodePage = 0;
    std::int32_t PcCodePage = 0;

  private:
    ConversionBackend& backend_;
    std::mutex mutex_;
    std::map<std::pair<std::int32_t, std::int32_t>, std::unique_ptr<modules::CodePageMapper>> mappers_;
};

}  // namespace quelvane
