#pragma once

#include <QObject>

#include <array>
#include <functional>

#include "shell/DisplayCharset.h"

class QAction;
class QActionGroup;
class QMenu;
class QWidget;

namespace quelvane {

class UserDialogs;

// The display character set and font of the two controls that draw converted text: the content
// list and the description line. Owns the two "Character Set" submenus (View menu and the content
// list's popup menu) with their check marks, and the "Font" command.
class CharsetMenus final : public QObject {
    Q_OBJECT

  public:
    enum Menu { kMainMenu = 0, kPopupMenu = 1 };

    CharsetMenus(QWidget* contentList, QWidget* description, UserDialogs& dialogs,
                 std::function<int()> pcCodePage, QObject* parent = nullptr);

    // The "Character Set" submenu for one of the two menus; built once, owned by the caller.
    QMenu* buildMenu(Menu which, QWidget* parent);

    // Selects the character set that fits a PC code page in both fonts and both menus; other
    // code pages leave everything as it is.
    void ApplyCodePageCharset(int pcCodePage);

    // The "Font" command.
    void chooseFont();

    // A click on the entry at `index` of one menu, as the user makes it.
    void clickEntry(Menu which, int index);

    int contentListCharset() const { return listCharset_; }
    int descriptionCharset() const { return descriptionCharset_; }
    bool isChecked(Menu which, int index) const { return checks_[which][static_cast<std::size_t>(index)]; }
    QAction* action(Menu which, int index) const { return actions_[which][static_cast<std::size_t>(index)]; }

    // The code pages the two controls decode their 8-bit text with.
    int contentListCodePage() const;
    int descriptionCodePage() const;

  signals:
    // The character set or the font of either control changed.
    void changed();

  private:
    void runCommand(int index);
    void checkOnly(Menu which, int index);
    void showChecks();

    QWidget* list_;
    QWidget* description_;
    UserDialogs& dialogs_;
    std::function<int()> pcCodePage_;
    int listCharset_ = DisplayCharset::kAnsi;
    int descriptionCharset_ = DisplayCharset::kDefault;
    std::array<std::array<bool, DisplayCharset::kEntryCount>, 2> checks_{};
    std::array<std::array<QAction*, DisplayCharset::kEntryCount>, 2> actions_{};
};

}  // namespace quelvane
