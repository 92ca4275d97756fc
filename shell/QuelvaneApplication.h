#pragma once

#include <QApplication>

namespace quelvane {

class UserDialogs;

// The application object: titled "Quelvane", the caption of every plain message box. A failure
// that escapes a command is shown with its own text, and the program goes on.
class QuelvaneApplication final : public QApplication {
    Q_OBJECT

  public:
    QuelvaneApplication(int& argc, char** argv);

    void setDialogs(UserDialogs* dialogs) { dialogs_ = dialogs; }

    bool notify(QObject* receiver, QEvent* event) override;

  private:
    UserDialogs* dialogs_ = nullptr;
};

}  // namespace quelvane
