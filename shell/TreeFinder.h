#pragma once

#include <QModelIndex>
#include <QObject>

#include <functional>

class QLineEdit;
class QTreeView;
class QWidget;

namespace quelvane {

// The find box above the tree: what is typed there moves the tree to the first object or member
// after the current node (in tree order, across the whole save, wrapping round) whose caption
// holds it, whatever its case, or, with a * or ? in it, whose name matches it as a pattern
// ("ORD*": every name starting with ORD), opening the branches on the way and showing the node.
// Enter or F3 goes on to the next match, Shift+F3 back; Ctrl+F comes to the box, Esc returns
// to the tree.
class TreeFinder final : public QObject {
    Q_OBJECT

  public:
    // Whether a node is one the box finds (objects and members, not the library and its parts).
    using Searchable = std::function<bool(const QModelIndex&)>;

    // `shown` shows the node a find moved to.
    TreeFinder(QWidget* window, QTreeView* tree, Searchable searchable, std::function<void()> shown);

    // The box above the tree, the tree below it: what the window lays out in the tree's place.
    QWidget* panel() const { return panel_; }
    QLineEdit* field() const { return field_; }

    void open();
    // Moves to the next (or previous) match of `text` and shows it; false when none matches.
    bool find(const QString& text, bool forward = true, bool includeCurrent = false);

    // Whether a caption ("ORDERS(PF)", a member's name) matches what was typed.
    static bool matches(const QString& caption, const QString& typed);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QModelIndex step(const QModelIndex& index, bool forward) const;
    QModelIndex lastDescendant(QModelIndex index) const;
    bool found(const QModelIndex& index, const QString& text) const;
    void findTyped(const QString& text);

    QTreeView* tree_;
    Searchable searchable_;
    std::function<void()> shown_;
    QWidget* panel_;
    QLineEdit* field_;
};

}  // namespace quelvane
