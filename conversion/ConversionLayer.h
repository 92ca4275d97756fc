#pragma once

#include <cstdint>
#include <string>

#include "conversion/EbcdicTextConverter.h"
#include "conversion/Notifier.h"

namespace quelvane {

// Binds the national-language-support module ("TRNNLS.DLL", here libtrnnls.so) and the
// data-translation module ("trnsdt.dll", here libtrnsdt.so) by file name, and converts under
// the current code-page pair. One instance serves the whole program run.
class ConversionLayer final : public EbcdicTextConverter {
public:
    // `moduleDirectory` is searched first (the program's own folder), then the system path.
    ConversionLayer(Notifier& notifier, std::string moduleDirectory);
    ~ConversionLayer() override;

    ConversionLayer(const ConversionLayer&) = delete;
    ConversionLayer& operator=(const ConversionLayer&) = delete;

    bool BindNlsLibrary();
    void ReleaseNlsLibrary();

    std::uint32_t ConvertEbcdicText(const std::uint8_t* source, std::size_t length,
                                    std::uint8_t* target) override;

    // The current pair; 0 on the PC side stands for the system's ANSI code page.
    std::int32_t EbcdicCodePage = 0;
    std::int32_t PcCodePage = 0;

    bool nlsBound() const;
    bool trnsdtBound() const;

private:
    struct Binding;
    Notifier& notifier_;
    std::string moduleDirectory_;
    Binding* binding_;
};

}  // namespace quelvane
