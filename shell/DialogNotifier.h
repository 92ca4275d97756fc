#pragma once

#include "conversion/Notifier.h"
#include "shell/UserDialogs.h"

namespace quelvane {

// The core's messages as modal message boxes over the main window. The core's texts are 8-bit
// text of the PC code page; `decode` turns them into what the box shows.
class DialogNotifier final : public Notifier {
  public:
    DialogNotifier(UserDialogs& dialogs, QWidget* parent);

    // The code page the core's texts are in; they may quote converted names.
    void setCodePage(int codePage) { codePage_ = codePage; }

    void message(const std::string& text) override;
    void error(const std::string& text, const std::string& caption) override;

  private:
    QString decode(const std::string& text) const;

    UserDialogs& dialogs_;
    QWidget* parent_;
    int codePage_ = 1252;
};

}  // namespace quelvane
