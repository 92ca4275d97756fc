#pragma once

#include <QApplication>

namespace quelvane {

class UserDialogs;

// The application object: titled "Quelvane", the caption of every plain message box. A failure
// that a command raises is shown with its own text, once, and the program goes on.
class QuelvaneApplication final : public QApplication {
    Q_OBJECT

  public:
    QuelvaneApplication(int& argc, char** argv);

    // Also makes the dialogs the one report of failures no command handled (FailureReporter).
    void setDialogs(UserDialogs* dialogs);

    bool notify(QObject* receiver, QEvent* event) override;

  private:
    UserDialogs* dialogs_ = nullptr;
};

}  // namespace quelvane
