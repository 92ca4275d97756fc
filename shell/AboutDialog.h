#pragma once

#include <QDialog>

class QLabel;

namespace quelvane {

class UserDialogs;

// The About box: our picture, the version text and the maker's credits. Created once at start,
// shown without blocking the main window, hidden again by a click on its background.
class AboutDialog final : public QDialog {
    Q_OBJECT

  public:
    explicit AboutDialog(UserDialogs& dialogs, QWidget* parent = nullptr);

    // The About command: the version label shows the current version text, then the box shows.
    void showAbout();

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QLabel* version_;
};

}  // namespace quelvane
