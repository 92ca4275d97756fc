#pragma once

#include <string>
#include <string_view>

#include "export/ExportFormat.h"

namespace quelvane {

// The file type after those of kExportFormats: a text file whose characters are written in UTF-8
// rather than the PC code page.
inline constexpr int kUtf8TextFilterIndex = static_cast<int>(kExportFormats.size()) + 1;
inline constexpr std::string_view kUtf8TextFilterName = "TEXT File, UTF-8";

// The export command's save dialog (`SaveFile`): filter "TEXT File|*.txt|Word|*.doc|Excel|*.xls"
// (the file types of kExportFormats) and then "TEXT File, UTF-8|*.txt", no default extension, no
// overwrite prompt, keeping its last file type between uses.
class ExportFileDialog {
  public:
    virtual ~ExportFileDialog() = default;

    // Runs the dialog with `fileName` preset. False when cancelled; otherwise `fileName` is the
    // chosen path and `filterIndex` the chosen file type, counted from 1.
    virtual bool execute(std::string& fileName, int& filterIndex) = 0;
    // Stores the name the export uses back into the dialog.
    virtual void setFileName(const std::string& fileName) = 0;
};

}  // namespace quelvane
