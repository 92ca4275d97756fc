#pragma once

#include <QFont>
#include <QLabel>

namespace quelvane {

class UserDialogs;

enum TLinkType { ltEmail = 0, ltInternet = 1, ltNone = 2 };

// A label that behaves as a link: it opens an e-mail or a web address through the desktop, shows
// its link font while the mouse is over it, and can show the address as its hint.
class LinkLabel : public QLabel {
    Q_OBJECT

  public:
    explicit LinkLabel(UserDialogs& dialogs, QWidget* parent = nullptr);

    TLinkType LinkType() const { return static_cast<TLinkType>(linkType_); }
    const QString& LinkAddress() const { return linkAddress_; }
    const QFont& LinkFont() const { return linkFont_; }
    bool LinkShowHint() const { return linkShowHint_; }
    const QString& LinkHint() const { return linkHint_; }

    // Accepts any number as the kind; one outside TLinkType turns the label into ltNone.
    void SetLinkType(int type);
    void SetAddress(const QString& address);
    void SetLinkShowHint(bool show);
    void SetLinkHint(const QString& hint);
    void SetLinkFont(const QFont& font);

    // Opens the address, or tells the user why it cannot.
    void Execute();

  protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    UserDialogs& dialogs_;
    int linkType_ = ltEmail;
    QString linkAddress_;
    QFont linkFont_;
    bool linkShowHint_ = false;
    QString linkHint_;
    QFont savedFont_;
    bool endingDoubleClick_ = false;
};

}  // namespace quelvane
