#pragma once

#include "shell/UserDialogs.h"

namespace quelvane {

class QtUserDialogs final : public UserDialogs {
  public:
    QString openFileName(QWidget* parent, const QString& caption, const QStringList& filters) override;
    std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) override;
    void showMessage(QWidget* parent, const QString& caption, const QString& text) override;
    bool openUrl(const QUrl& url) override;
};

}  // namespace quelvane
