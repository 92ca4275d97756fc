#include "export/pickbatch/QtExportFileDialog.h"

#include <QFileDialog>
#include <QStringList>

namespace quelvane {

QtExportFileDialog::QtExportFileDialog(QWidget* parent, Decoder decode, Encoder encode)
    : parent_(parent), decode_(std::move(decode)), encode_(std::move(encode)) {}

QStringList QtExportFileDialog::qtFilters() {
    const QStringList parts = QString::fromLatin1(kFilter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        filters << parts[i] + QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
    }
    return filters;
}

bool QtExportFileDialog::execute(std::string& fileName, int& filterIndex) {
    QFileDialog dialog(parent_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = qtFilters();
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.value(filterIndex_ - 1, filters.front()));
    dialog.selectFile(decode_(fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    filterIndex_ = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (filterIndex_ < 1) {
        filterIndex_ = 1;
    }
    fileName_ = dialog.selectedFiles().front();
    fileName = encode_(fileName_);
    filterIndex = filterIndex_;
    return true;
}

void QtExportFileDialog::setFileName(const std::string& fileName) {
    fileName_ = decode_(fileName);
}

}  // namespace quelvane
