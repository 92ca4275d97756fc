#include "shell/SaveSourcesDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quelvane {

SaveSourcesDialog::SaveSourcesDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SaveSourcesDialog"));
    setWindowTitle(QStringLiteral("Save sources as project"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral(
            "Write every source member as a UTF-8 file, one folder per source file, to the folder:"),
        this));
    auto* row = new QHBoxLayout;
    folder_ = new QLineEdit(this);
    folder_->setObjectName(QStringLiteral("SaveSourcesFolder"));
    folder_->setMinimumWidth(360);
    auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
    browse->setObjectName(QStringLiteral("SaveSourcesBrowse"));
    row->addWidget(folder_, 1);
    row->addWidget(browse);
    layout->addLayout(row);
    replace_ = new QCheckBox(QStringLiteral("Replace files already in the folder"), this);
    replace_->setObjectName(QStringLiteral("SaveSourcesReplace"));
    layout->addWidget(replace_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);

    connect(browse, &QPushButton::clicked, this, &SaveSourcesDialog::browse);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (!folder().isEmpty()) {
            accept();
        }
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString SaveSourcesDialog::folder() const {
    return folder_->text().trimmed();
}

void SaveSourcesDialog::setFolder(const QString& folder) {
    folder_->setText(folder);
}

bool SaveSourcesDialog::replaceFiles() const {
    return replace_->isChecked();
}

void SaveSourcesDialog::setReplaceFiles(bool replace) {
    replace_->setChecked(replace);
}

void SaveSourcesDialog::browse() {
    const QString chosen = QFileDialog::getExistingDirectory(this, windowTitle(), folder());
    if (!chosen.isEmpty()) {
        setFolder(chosen);
    }
}

}  // namespace quelvane
