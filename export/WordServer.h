#pragma once

#include <memory>

#include "export/AutomationServerObject.h"

namespace quelvane {

// The in-process "Word.Application": the part of Word's object model the Word writer speaks
// (Documents.Add, Selection with Font and Range, ActiveDocument with Tables.Add, Range, Tables.Item,
// Columns.Item with PreferredWidthType and PreferredWidth, Cell with Range and
// Shading.BackgroundPatternColor, SaveAs, Close, Quit). SaveAs writes the document as RTF.
class WordServer {
  public:
    static std::shared_ptr<AutomationServerObject> createApplication();
};

}  // namespace quelvane
