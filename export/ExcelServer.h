#pragma once

#include <memory>

#include "export/AutomationServerObject.h"

namespace quelvane {

// The in-process "Excel.Application": the part of Excel's object model the Excel writer speaks
// (Workbooks.Add, ActiveWorkbook.Sheets, Select, Cells, Selection.Font, Columns().ColumnWidth,
// Rows().RowHeight, Cells().Value and Interior, SaveAs, Quit). SaveAs writes an Excel 97-2003
// workbook of the first sheet.
class ExcelServer {
  public:
    static std::shared_ptr<AutomationServerObject> createApplication();
};

}  // namespace quelvane
