#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>

#include "settings/ProgramSettings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QTreeWidget;

namespace quelvane {

class ConversionLayer;
class SettingsFile;
class UserDialogs;

// The Options dialog: the code-page pair for all EBCDIC conversion, proven by a test conversion
// before it is saved, and the host connection and work directories, which are only kept.
class OptionsDialog final : public QDialog {
    Q_OBJECT

  public:
    // Reads the settings file once, as the dialog is created. `applyCharset` is the display
    // character-set choice for a PC code page, run after a confirmation.
    OptionsDialog(SettingsFile& settings, ConversionLayer& conversion, UserDialogs& dialogs,
                  std::function<void(int)> applyCharset, QWidget* parent = nullptr);

    // Tools > Options: the stored rows are selected again, then the dialog shows.
    void showOptions();
    // Shows the dialog as it stands (the open command, when the code pages are not set).
    void showWithoutReading();

    // Selects the CCSID row of `hostPage` (a Windows number) and the PC row it picks, saying that
    // the save suggests them; a page no row shows changes nothing.
    void suggest(std::int32_t hostPage);

    void confirm();
    void selectPage(int page);

  signals:
    // The code pages were proven, saved and applied; the dialog is hidden.
    void confirmed();

  private:
    QWidget* addConversionPage();
    QWidget* addHostPage();
    QWidget* addWorkPage();
    void addCommandButtons();
    void selectStoredRows();
    void showStoredHostAndDirectories();
    void pickPcRowFor(int ccsidRow);
    bool writeAll(int ccsidRow, int pcRow);

    ProgramSettings settings_;
    ConversionLayer& conversion_;
    UserDialogs& dialogs_;
    std::function<void(int)> applyCharset_;
    QTreeWidget* pageTree_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    // The two code-page lists ("ComboBoxE" and "ComboBoxA").
    QComboBox* ccsidList_ = nullptr;
    QComboBox* pcPageList_ = nullptr;
    QCheckBox* byStoredCcsid_ = nullptr;
    QLabel* suggested_ = nullptr;
    QLineEdit* host_ = nullptr;
    QLineEdit* user_ = nullptr;
    QLineEdit* password_ = nullptr;
    QLineEdit* port_ = nullptr;
    QLineEdit* local_ = nullptr;
    QLineEdit* remote_ = nullptr;
};

}  // namespace quelvane
