#pragma once

#include <QString>

#include <string>

#include "export/ExportFileDialog.h"

class QWidget;

namespace quelvane {

// The export command's save dialog (`SaveFile`) over Qt's file dialog: the three file types and
// the UTF-8 text file, no default extension, no overwrite prompt; the last file name and file
// type are kept between uses. Names cross as file-system strings.
class QtExportFileDialog final : public ExportFileDialog {
  public:
    explicit QtExportFileDialog(QWidget* parent);

    bool execute(std::string& fileName, int& filterIndex) override;
    void setFileName(const std::string& fileName) override;

    // Qt's form of the filter text "TEXT File|*.txt|Word|*.doc|Excel|*.xls".
    static QStringList qtFilters();
    // The file type the dialog lists after them, "TEXT File, UTF-8 (*.txt)".
    static QString utf8TextFilter();

  private:
    QWidget* parent_;
    QString fileName_;
    int filterIndex_ = 1;
};

}  // namespace quelvane
