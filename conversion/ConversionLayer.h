#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "conversion/EbcdicTextConverter.h"
#include "conversion/Notifier.h"

namespace quelvane {

// Binds the national-language-support module ("TRNNLS.DLL", here libtrnnls.so) and the
// data-translation module ("trnsdt.dll", here libtrnsdt.so) by file name, and converts under
// the current code-page pair. One instance serves the whole program run.
class ConversionLayer final : public EbcdicTextConverter {
  public:
    enum class ModuleSearch {
        programDirectoryThenSystem,
        // Only `moduleDirectory`: for callers that must not pick up modules installed elsewhere.
        programDirectoryOnly,
    };

    // `moduleDirectory` is searched first (the program's own folder), then the system path.
    ConversionLayer(Notifier& notifier, std::string moduleDirectory,
                    ModuleSearch search = ModuleSearch::programDirectoryThenSystem);
    ~ConversionLayer() override;

    ConversionLayer(const ConversionLayer&) = delete;
    ConversionLayer& operator=(const ConversionLayer&) = delete;

    bool BindNlsLibrary();
    void ReleaseNlsLibrary();
    // Why the last BindNlsLibrary that could not load a module failed, in the system's words
    // (the fixed message says which module); empty once both are bound.
    std::string bindingFailure() const;

    // `length` must fit in 16 bits. Unbound modules or a longer length give a nonzero status
    // and leave the target untouched.
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
    ModuleSearch search_;
    std::unique_ptr<Binding> binding_;
};

}  // namespace quelvane
