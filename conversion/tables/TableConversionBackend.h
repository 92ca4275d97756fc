#pragma once

#include <map>
#include <memory>
#include <mutex>

#include "conversion/ConversionBackend.h"
#include "conversion/tables/CodePageTables.h"
#include "conversion/tables/PcEncodeMap.h"

namespace quelvane {

// The pages through tables generated from the ICU backend (CodePageTableData.cpp); needs no
// ICU. `instance()` reads the committed tables; a backend over other tables serves the
// generator's own check.
class TableConversionBackend final : public ConversionBackend {
  public:
    explicit TableConversionBackend(const tables::CodePageTableSet& tables) : tables_(tables) {}

    static TableConversionBackend& instance();

    std::unique_ptr<CodePageDecoder> openHostPage(std::int32_t windowsCodePage) override;
    std::unique_ptr<PcPageCodec> openPcPage(std::int32_t windowsCodePage) override;
    std::unique_ptr<CodePageDecoder> openCcsidPage(std::uint16_t ccsid) override;
    std::unique_ptr<CodePageDecoder> openStoredCcsid(std::uint16_t ccsid) override;
    std::string_view name() const override { return "tables"; }

  private:
    std::unique_ptr<CodePageDecoder> openDecoder(tables::PageKind kind, std::int32_t number);

    const tables::CodePageTableSet& tables_;
    // The written form of a page is worked out once and shared by every codec of the page.
    std::mutex mutex_;
    std::map<std::int32_t, std::shared_ptr<const tables::PcEncodeMap>> encodeMaps_;
};

}  // namespace quelvane
