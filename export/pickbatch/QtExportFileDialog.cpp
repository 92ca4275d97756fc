#include "export/pickbatch/QtExportFileDialog.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QStringList>

#include "export/ExportFormat.h"

namespace quelvane {

QtExportFileDialog::QtExportFileDialog(QWidget* parent) : parent_(parent) {}

QStringList QtExportFileDialog::qtFilters() {
    QStringList filters;
    for (const ExportFormatEntry& entry : kExportFormats) {
        filters << QLatin1StringView(entry.filterName) + QStringLiteral(" (*") +
                       QLatin1StringView(entry.extension) + QLatin1Char(')');
    }
    return filters;
}

QString QtExportFileDialog::utf8TextFilter() {
    return QLatin1StringView(kUtf8TextFilterName) + QStringLiteral(" (*") +
           QLatin1StringView(exportFormatEntry(ExportFormat::Text).extension) + QLatin1Char(')');
}

bool QtExportFileDialog::execute(std::string& fileName, int& filterIndex) {
    // A bare name is offered in the program's folder; nothing changes the current folder.
    QFileDialog dialog(parent_, QString(), QCoreApplication::applicationDirPath());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = qtFilters() << utf8TextFilter();
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.value(filterIndex_ - 1, filters.front()));
    dialog.selectFile(QFile::decodeName(fileName.c_str()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    filterIndex_ = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (filterIndex_ < 1) {
        filterIndex_ = 1;
    }
    fileName_ = dialog.selectedFiles().front();
    fileName = QFile::encodeName(fileName_).toStdString();
    filterIndex = filterIndex_;
    return true;
}

void QtExportFileDialog::setFileName(const std::string& fileName) {
    fileName_ = QFile::decodeName(fileName.c_str());
}

}  // namespace quelvane
