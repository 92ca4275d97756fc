#pragma once

#include <QObject>
#include <QString>

class QAbstractItemView;
class QAction;
class QMenu;

namespace quelvane {

// Copies the content list's selected rows to the clipboard as tab-separated text: the column
// captions first, then one line per selected row in list order, cells as shown. Tabs and line
// breaks inside a cell become spaces so every row stays one line. Ctrl+C and a "Copy" item of
// the list's pop-up menu do it; the list selects several rows, Ctrl+A all of them.
class ContentCopy final : public QObject {
    Q_OBJECT

  public:
    ContentCopy(QAbstractItemView* list, QMenu* popup);

    // The text Copy puts on the clipboard.
    QString selectedText() const;
    void copy() const;

  private:
    QAbstractItemView* list_;
    QAction* action_;
};

}  // namespace quelvane
