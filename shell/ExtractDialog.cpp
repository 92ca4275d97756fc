#include "shell/ExtractDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quelvane {

ExtractDialog::ExtractDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ExtractDialog"));
    setWindowTitle(QStringLiteral("Extract all"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("Write every member, CL source and data area to the folder:"), this));
    auto* row = new QHBoxLayout;
    folder_ = new QLineEdit(this);
    folder_->setObjectName(QStringLiteral("ExtractFolder"));
    folder_->setMinimumWidth(360);
    auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
    browse->setObjectName(QStringLiteral("ExtractBrowse"));
    row->addWidget(folder_, 1);
    row->addWidget(browse);
    layout->addLayout(row);
    database_ =
        new QCheckBox(QStringLiteral("Also write an SQLite database of the data and source members"), this);
    database_->setObjectName(QStringLiteral("ExtractDatabase"));
    layout->addWidget(database_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);

    connect(browse, &QPushButton::clicked, this, &ExtractDialog::browse);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (!folder().isEmpty()) {
            accept();
        }
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString ExtractDialog::folder() const {
    return folder_->text().trimmed();
}

void ExtractDialog::setFolder(const QString& folder) {
    folder_->setText(folder);
}

bool ExtractDialog::writeDatabase() const {
    return database_->isChecked();
}

void ExtractDialog::setWriteDatabase(bool write) {
    database_->setChecked(write);
}

void ExtractDialog::browse() {
    const QString chosen = QFileDialog::getExistingDirectory(this, windowTitle(), folder());
    if (!chosen.isEmpty()) {
        setFolder(chosen);
    }
}

}  // namespace quelvane
