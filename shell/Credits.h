#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace quelvane {

class LinkLabel;
class UserDialogs;

// The maker's credits shown in the main window's information panel and in the About box.
class Credits {
  public:
    // The e-mail link to the maintainers and the link to the project's page, in that order,
    // created as children of `parent`.
    static QList<LinkLabel*> addLinks(UserDialogs& dialogs, QWidget* parent);
    static QString rightsNotice();
};

}  // namespace quelvane
