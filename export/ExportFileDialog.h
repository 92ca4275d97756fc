#pragma once

#include <string>

namespace quelvane {

// The export command's save dialog (`SaveFile`): filter "TEXT File|*.txt|Word|*.doc|Excel|*.xls"
// (the file types of kExportFormats), no default extension, no overwrite prompt, keeping its last
// file type between uses.
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
