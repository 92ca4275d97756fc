#pragma once

#include <QObject>

namespace quelvane {

class MainWindow;
class UserDialogs;

// File > "Compare with...": asks for a second save file, compares the save on display (before)
// with it (after) and shows the differences in a CompareWindow of their own. The second save is
// read with the window's code pages, texts by stored CCSID as extract reads them.
class CompareAction final : public QObject {
    Q_OBJECT

  public:
    CompareAction(MainWindow& window, UserDialogs& dialogs);

    void compareWith();
    // Compares with the save at `path`; the window shown, or null when either save cannot be read
    // (after saying why).
    QWidget* compareWithFile(const QString& path);

  private:
    MainWindow& window_;
    UserDialogs& dialogs_;
};

}  // namespace quelvane
