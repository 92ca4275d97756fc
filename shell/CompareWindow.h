#pragma once

#include <QMainWindow>

#include "compare/SaveComparison.h"

class QLabel;
class QPlainTextEdit;
class QTreeView;

namespace quelvane {

class ComparisonTreeModel;

// The differences between two saves in a window of its own: the summary on top, the tree of what
// differs on the left with the change beside each node, and on the right the selected node's
// lines: a source member's unified diff, a data member's changed records field by field, an
// object's changed facts; the whole report while nothing is selected.
class CompareWindow final : public QMainWindow {
    Q_OBJECT

  public:
    explicit CompareWindow(SaveComparison comparison, QWidget* parent = nullptr);

    ComparisonTreeModel& model() { return *model_; }
    QTreeView& tree() { return *tree_; }
    QPlainTextEdit& details() { return *details_; }

  private:
    void showSelected();

    ComparisonTreeModel* model_;
    QLabel* summary_;
    QTreeView* tree_;
    QPlainTextEdit* details_;
};

}  // namespace quelvane
