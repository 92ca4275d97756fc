#include "shell/LinkLabel.h"

#include <QCoreApplication>
#include <QMouseEvent>

#include "shell/UserDialogs.h"

namespace quelvane {

namespace {

const QString kMailPrefix = QStringLiteral("mailto:");
const QString kWebPrefix = QStringLiteral("http://");
constexpr int kPrefixLength = 7;

}  // namespace

LinkLabel::LinkLabel(UserDialogs& dialogs, QWidget* parent)
    : QLabel(parent), dialogs_(dialogs), savedFont_(font()) {}

void LinkLabel::SetAddress(const QString& address) {
    QString rest = address;
    if (rest.startsWith(kWebPrefix) || rest.startsWith(kMailPrefix)) {
        rest = rest.mid(kPrefixLength);
    }
    if (linkType_ == ltEmail || linkType_ == ltInternet) {
        // An empty address stays empty rather than becoming a bare prefix, so a link emptied by
        // ltNone does not come back as one that opens nothing useful.
        linkAddress_ = rest.isEmpty() ? QString() : (linkType_ == ltEmail ? kMailPrefix : kWebPrefix) + rest;
        if (linkShowHint_) {
            SetLinkHint(rest);
        }
        return;
    }
    linkAddress_.clear();
    SetLinkHint({});
    linkShowHint_ = false;
    linkType_ = ltNone;
}

void LinkLabel::SetLinkType(int type) {
    linkType_ = type;
    SetAddress(linkAddress_);
}

void LinkLabel::SetLinkShowHint(bool show) {
    linkShowHint_ = show;
    SetLinkHint(show ? linkAddress_.mid(kPrefixLength) : QString());
}

void LinkLabel::SetLinkHint(const QString& hint) {
    linkHint_ = hint;
    setToolTip(hint);
}

void LinkLabel::SetLinkFont(const QFont& font) {
    savedFont_ = this->font();
    linkFont_ = font;
}

void LinkLabel::Execute() {
    if (linkType_ == ltNone || linkAddress_.isEmpty()) {
        return;
    }
    if (dialogs_.openUrl(QUrl(linkAddress_))) {
        return;
    }
    dialogs_.showMessage(window(), QCoreApplication::applicationName(),
                         linkType_ == ltEmail
                             ? QStringLiteral("Could not run computers default e-mail system")
                             : QStringLiteral("Could not run computers default Browser"));
}

void LinkLabel::enterEvent(QEnterEvent* event) {
    savedFont_ = font();
    setFont(linkFont_);
    event->accept();
}

void LinkLabel::leaveEvent(QEvent* event) {
    setFont(savedFont_);
    event->accept();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    // The release that ends a double-click is not a click of its own: a double-click opens the
    // link twice, once for its click and once for itself.
    const bool endsDoubleClick = endingDoubleClick_;
    endingDoubleClick_ = false;
    if (!endsDoubleClick && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint())) {
        Execute();
    }
    QLabel::mouseReleaseEvent(event);
}

void LinkLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        endingDoubleClick_ = true;
        Execute();
    }
    QLabel::mouseDoubleClickEvent(event);
}

}  // namespace quelvane
