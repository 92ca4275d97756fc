#pragma once

#include <QObject>

class QMainWindow;
class QSplitter;
class QAbstractItemView;

namespace quelvane {

class SettingsFile;
class UserDialogs;

// The main window's size, position, maximised state and tree width, kept in the settings
// file's "Window" section: written when the window closes, applied when it is built. Without
// a kept geometry the window takes a size that fits a 1366 x 768 screen and shows about
// 25 rows of the content list.
class WindowGeometry final : public QObject {
    Q_OBJECT

  public:
    static constexpr const char* kSection = "Window";
    static constexpr int kDefaultWidth = 1000;
    static constexpr int kDefaultListRows = 25;

    WindowGeometry(QMainWindow* window, QSplitter* splitter, QAbstractItemView* list, SettingsFile& settings,
                   UserDialogs& dialogs);

    // Applies the kept geometry, or the default size centred on the screen.
    void restore();
    void save();

    // The default size for the list's current font, before any screen limit.
    QSize defaultSize() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QMainWindow* window_;
    QSplitter* splitter_;
    QAbstractItemView* list_;
    SettingsFile& settings_;
    UserDialogs& dialogs_;
};

}  // namespace quelvane
