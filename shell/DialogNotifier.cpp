#include "shell/DialogNotifier.h"

#include <QCoreApplication>

#include "shell/DisplayCharset.h"

namespace quelvane {

DialogNotifier::DialogNotifier(UserDialogs& dialogs, QWidget* parent) : dialogs_(dialogs), parent_(parent) {}

QString DialogNotifier::decode(const std::string& text) const {
    auto decoder = DisplayCharset::decoderFor(codePage_);
    return DisplayCharset::decode(decoder, text);
}

void DialogNotifier::message(const std::string& text) {
    dialogs_.showMessage(parent_, QCoreApplication::applicationName(), decode(text));
}

void DialogNotifier::error(const std::string& text, const std::string& caption) {
    dialogs_.showMessage(parent_, decode(caption), decode(text));
}

}  // namespace quelvane
