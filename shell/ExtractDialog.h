#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLineEdit;

namespace quelvane {

// File > Extract all...: the folder everything of the open save file is written to, and whether
// the SQLite database is written too.
class ExtractDialog final : public QDialog {
    Q_OBJECT

  public:
    explicit ExtractDialog(QWidget* parent = nullptr);

    QString folder() const;
    void setFolder(const QString& folder);
    bool writeDatabase() const;
    void setWriteDatabase(bool write);

  private:
    void browse();

    QLineEdit* folder_ = nullptr;
    QCheckBox* database_ = nullptr;
};

}  // namespace quelvane
