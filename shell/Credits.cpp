#include "shell/Credits.h"

#include "shell/LinkLabel.h"

namespace quelvane {

namespace {

const char* const kMail = "quelvane@example.org";
const char* const kPage = "www.example.org/quelvane";

LinkLabel* link(UserDialogs& dialogs, QWidget* parent, TLinkType type, const QString& text,
                const QString& address) {
    auto* label = new LinkLabel(dialogs, parent);
    label->setText(text);
    label->setCursor(Qt::PointingHandCursor);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(palette);
    QFont hover = label->font();
    hover.setUnderline(true);
    label->SetLinkFont(hover);
    label->SetLinkType(type);
    label->SetLinkShowHint(true);
    label->SetAddress(address);
    return label;
}

}  // namespace

QList<LinkLabel*> Credits::addLinks(UserDialogs& dialogs, QWidget* parent) {
    return {link(dialogs, parent, ltEmail, QStringLiteral("Mail the Quelvane maintainers"),
                 QString::fromLatin1(kMail)),
            link(dialogs, parent, ltInternet, QStringLiteral("Quelvane project page"),
                 QString::fromLatin1(kPage))};
}

QString Credits::rightsNotice() {
    return QStringLiteral("Copyright (C) the Quelvane maintainers");
}

}  // namespace quelvane
