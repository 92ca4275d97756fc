#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

class QWidget;

namespace quelvane {

// Everything the shell asks of the user or of the desktop in a modal way goes through here, so
// tests can answer it. The program uses QtUserDialogs.
class UserDialogs {
  public:
    virtual ~UserDialogs() = default;

    // The chosen file's full path, or empty when the user cancels. `filters` in Qt's form.
    virtual QString openFileName(QWidget* parent, const QString& caption, const QStringList& filters) = 0;

    // The chosen font, or nothing when the user cancels.
    virtual std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) = 0;

    // A modal message box with one OK button.
    virtual void showMessage(QWidget* parent, const QString& caption, const QString& text) = 0;

    // Asks the desktop to open an e-mail or web address; false when it cannot.
    virtual bool openUrl(const QUrl& url) = 0;
};

}  // namespace quelvane
