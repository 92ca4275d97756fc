#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <string>

#include "export/BatchExportTarget.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressDialog;
class QPushButton;
class QRadioButton;
class QStatusBar;

namespace quelvane {

// The batch export dialog (pickbatch), "Pick out files in batch": the chosen library, file and
// member count, the file type, the splitter and UTF-8 check boxes, the target directory and the
// progress text. It is created once and keeps its file type and check boxes between uses;
// "Confirm" is announced with `confirmed`, which the main window answers with the batch run.
class BatchExportDialog final : public QDialog, public BatchExportTarget {
    Q_OBJECT

  public:
    using DirectoryChooser = std::function<QString(QWidget* parent, const QString& start)>;
    using Decoder = std::function<QString(const std::string&)>;
    using Encoder = std::function<std::string(const QString&)>;

    explicit BatchExportDialog(QWidget* parent = nullptr);

    // The splitter option of the text writer: `CheckBox1`'s checked state.
    bool splitterOption() const;
    // Whether text files are written in UTF-8 rather than the PC page: "Text in UTF-8" checked
    // with the text file type chosen.
    bool utf8Option() const;

    // How the dialog shows the core's 8-bit texts and gives its own back (Latin-1 unless set).
    void setTextCodec(Decoder decode, Encoder encode);
    // Replaces the directory chooser that "Select ..." opens.
    void setDirectoryChooser(DirectoryChooser chooser);
    // The folder "Select" starts at; the process's current folder while none is set.
    void setStartFolder(const QString& folder) { startFolder_ = folder; }

    void fill(const Contents& contents) override;
    void showDialog() override;
    void closeDialog() override;
    ObjectRef chosenFile() const override;
    std::string directory() const override;
    ExportFormat fileType() const override;
    void setStatusText(const std::string& text) override;
    // A modal progress window over the dialog: members done of members total, with Cancel.
    void showProgress(std::int32_t done, std::int32_t total) override;
    void endProgress() override;
    bool cancelRequested() override;

    // "Select ...": the working directory, then whatever directory the user confirms.
    void selectDirectory();

  signals:
    void confirmed();

  private:
    void addFileLabels();
    void addDirectoryRow();
    void addCommandButtons();
    void addFileTypes();
    void fileTypeChosen();

    Decoder decode_;
    Encoder encode_;
    DirectoryChooser chooseDirectory_;
    QString startFolder_;
    ObjectRef file_;

    QLabel* library_ = nullptr;
    QLabel* fileName_ = nullptr;
    QLabel* part_ = nullptr;
    QLabel* object_ = nullptr;
    QLabel* memberCount_ = nullptr;
    QLineEdit* directoryEdit_ = nullptr;
    QGroupBox* fileTypeBox_ = nullptr;
    QRadioButton* types_[kExportFormats.size()] = {};
    QCheckBox* splitterCheck_ = nullptr;
    QCheckBox* utf8Check_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    QProgressDialog* progress_ = nullptr;
};

}  // namespace quelvane
