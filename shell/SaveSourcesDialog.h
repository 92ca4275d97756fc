#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLineEdit;

namespace quelvane {

// File > Save sources as project...: the folder the source members go to, and whether files
// already there may be replaced.
class SaveSourcesDialog final : public QDialog {
    Q_OBJECT

  public:
    explicit SaveSourcesDialog(QWidget* parent = nullptr);

    QString folder() const;
    void setFolder(const QString& folder);
    bool replaceFiles() const;
    void setReplaceFiles(bool replace);

  private:
    void browse();

    QLineEdit* folder_ = nullptr;
    QCheckBox* replace_ = nullptr;
};

}  // namespace quelvane
