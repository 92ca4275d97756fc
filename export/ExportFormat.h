#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace quelvane {

// The three kinds of file a member is exported to.
enum class ExportFormat { Text, Word, Excel };

// What a format is called wherever one is chosen.
struct ExportFormatEntry {
    ExportFormat format;
    // The command line's --format value and the web page's format name.
    std::string_view name;
    // The extension of the format's files.
    std::string_view extension;
    // The file type's name in the export command's save dialog filter.
    std::string_view filterName;
    // The batch dialog's choice.
    std::string_view batchCaption;
};

// In the order the save dialog's filter and the batch dialog list them.
inline constexpr std::array<ExportFormatEntry, 3> kExportFormats{{
    {ExportFormat::Text, "txt", ".txt", "TEXT File", "Text File (*.txt)"},
    {ExportFormat::Word, "doc", ".doc", "Word", "Word File (*.doc)"},
    {ExportFormat::Excel, "xls", ".xls", "Excel", "Excel File (*.xls)"},
}};

constexpr const ExportFormatEntry& exportFormatEntry(ExportFormat format) {
    for (const ExportFormatEntry& entry : kExportFormats) {
        if (entry.format == format) {
            return entry;
        }
    }
    return kExportFormats.front();
}

// The format of a command-line or page name ("txt", "doc", "xls"); none for any other name.
constexpr std::optional<ExportFormat> exportFormatNamed(std::string_view name) {
    for (const ExportFormatEntry& entry : kExportFormats) {
        if (entry.name == name) {
            return entry.format;
        }
    }
    return std::nullopt;
}

// The format of the save dialog's file type, counted from 1 as its filter lists them: 2 Word,
// 3 Excel, anything else text.
constexpr ExportFormat exportFormatOfFilter(int filterIndex) {
    if (filterIndex < 1 || filterIndex > static_cast<int>(kExportFormats.size())) {
        return ExportFormat::Text;
    }
    return kExportFormats[static_cast<std::size_t>(filterIndex - 1)].format;
}

}  // namespace quelvane
