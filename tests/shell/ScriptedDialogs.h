#pragma once

#include <QFont>
#include <QStringList>
#include <QUrl>

#include <deque>
#include <optional>
#include <vector>

#include "shell/UserDialogs.h"

namespace quelvane::test {

// Answers the shell's dialogs from a script and keeps what was asked and shown.
class ScriptedDialogs final : public UserDialogs {
  public:
    struct Message {
        QString caption;
        QString text;
    };

    QString openFileName(QWidget*, const QString& caption, const QStringList& filters) override {
        fileDialogs.push_back({caption, filters});
        if (files.empty()) {
            return {};
        }
        QString next = files.front();
        files.pop_front();
        return next;
    }

    std::optional<QFont> chooseFont(QWidget*, const QFont& initial) override {
        fontInitial = initial;
        return font;
    }

    void showMessage(QWidget*, const QString& caption, const QString& text) override {
        messages.push_back({caption, text});
    }

    bool openUrl(const QUrl& url) override {
        urls.push_back(url);
        return urlOpens;
    }

    QStringList messageTexts() const {
        QStringList texts;
        for (const auto& m : messages) {
            texts << m.text;
        }
        return texts;
    }

    // Script: the files the open dialog answers with, in order (empty: cancel); the font dialog's
    // answer; whether the desktop opens addresses.
    std::deque<QString> files;
    std::optional<QFont> font;
    bool urlOpens = true;

    // Record.
    std::vector<std::pair<QString, QStringList>> fileDialogs;
    std::vector<Message> messages;
    std::vector<QUrl> urls;
    QFont fontInitial;
};

}  // namespace quelvane::test
