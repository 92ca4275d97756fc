#pragma once

#include <array>
#include <memory>
#include <string>

#include "conversion/PcPageCodec.h"
#include "conversion/icu/IcuDecoder.h"

struct UConverter;

namespace quelvane {

// A PC page through ICU: one converter reads, one per substitution rule writes.
class IcuPcCodec final : public PcPageCodec {
  public:
    // Null when ICU has no converter of that name.
    static std::unique_ptr<IcuPcCodec> open(const std::string& converterName);

    ~IcuPcCodec() override;
    IcuPcCodec(const IcuPcCodec&) = delete;
    IcuPcCodec& operator=(const IcuPcCodec&) = delete;

    Shape shape() const override { return decoder_->shape(); }
    void decode(std::span<const std::uint8_t> bytes, std::u16string& out,
                std::vector<std::int32_t>* offsets) override;
    void encode(std::u16string_view text, Substitution substitution, std::string& out,
                std::vector<std::int32_t>* offsets) override;

  private:
    static constexpr std::size_t kRuleCount = 3;

    IcuPcCodec(std::string converterName, std::unique_ptr<IcuDecoder> decoder);
    UConverter* encoderFor(Substitution substitution);

    std::string converterName_;
    std::unique_ptr<IcuDecoder> decoder_;
    std::array<UConverter*, kRuleCount> encoders_{};
};

}  // namespace quelvane
