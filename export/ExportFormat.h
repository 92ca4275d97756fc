#pragma once

namespace quelvane {

// The three kinds of file a member is exported to.
enum class ExportFormat { Text, Word, Excel };

// The format of the save dialog's file type, counted from 1 as its filter lists them: 2 Word,
// 3 Excel, anything else text.
constexpr ExportFormat exportFormatOfFilter(int filterIndex) {
    switch (filterIndex) {
        case 2:
            return ExportFormat::Word;
        case 3:
            return ExportFormat::Excel;
        default:
            return ExportFormat::Text;
    }
}

}  // namespace quelvane
