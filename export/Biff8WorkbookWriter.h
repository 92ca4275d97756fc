#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/ExcelServerSheet.h"

namespace quelvane {

// Writes the Workbook stream of an Excel 97-2003 file (BIFF8) holding one worksheet: the global
// records (fonts, cell formats, the shared string table), then the sheet's column widths, rows
// and cells. The caller wraps the stream in a compound file.
class Biff8WorkbookWriter {
  public:
    // The largest record body; longer shared string tables go on in CONTINUE records.
    static constexpr std::size_t kMaximumRecordData = 8224;

    static std::vector<std::uint8_t> write(const ExcelServerSheet& sheet, const std::u16string& sheetName);
};

}  // namespace quelvane
