#include "shell/QtUserDialogs.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

namespace quelvane {

QString QtUserDialogs::openFileName(QWidget* parent, const QString& caption, const QStringList& filters) {
    // The program's folder, as ever: the window never changes the process's current folder.
    QFileDialog dialog(parent, caption, QCoreApplication::applicationDirPath());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

std::optional<QFont> QtUserDialogs::chooseFont(QWidget* parent, const QFont& initial) {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent);
    if (!ok) {
        return std::nullopt;
    }
    return font;
}

void QtUserDialogs::showMessage(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtUserDialogs::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

}  // namespace quelvane
