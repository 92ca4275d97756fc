#pragma once

#include <QModelIndex>
#include <QObject>

class QLineEdit;
class QStatusBar;
class QTreeView;
class QWidget;

namespace quelvane {

// Find in the tree: Ctrl+F opens a find field in the status bar; what is typed there moves the
// tree to the first node after the current one (libraries, parts, objects and members, in tree
// order, wrapping round) whose caption contains it, whatever its case, opening the branches on
// the way. Enter or F3 goes on to the next match, Shift+F3 back; Esc closes the field and
// returns to the tree.
class TreeFinder final : public QObject {
    Q_OBJECT

  public:
    TreeFinder(QWidget* window, QTreeView* tree, QStatusBar* statusBar);

    void open();
    void close();
    // Moves to the next (or previous) node whose caption holds `text`; false when none does.
    bool find(const QString& text, bool forward = true, bool includeCurrent = false);

    QLineEdit* field() const { return field_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QModelIndex step(const QModelIndex& index, bool forward) const;
    QModelIndex lastDescendant(QModelIndex index) const;

    QTreeView* tree_;
    QWidget* bar_;
    QLineEdit* field_;
};

}  // namespace quelvane
