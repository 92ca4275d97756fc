#pragma once

#include <QObject>
#include <QPersistentModelIndex>
#include <QTimer>

#include <functional>

class QTreeView;

namespace quelvane {

// Shows the tree's current node when it was reached without the mouse (arrow keys, Page keys,
// a find), as a click does, once the current node has stayed put for a short while: holding
// an arrow key does not list every member passed on the way.
class TreeKeyboardFollower final : public QObject {
    Q_OBJECT

  public:
    static constexpr int kDelayMilliseconds = 250;

    TreeKeyboardFollower(QTreeView* tree, std::function<void()> show);

    // The window showed `index` itself (a click): no delayed show of it follows.
    void shown(const QModelIndex& index);

    bool pending() const { return timer_.isActive(); }

  private:
    void currentChanged(const QModelIndex& current);
    void showCurrent();

    QTreeView* tree_;
    std::function<void()> show_;
    QTimer timer_;
    QPersistentModelIndex shown_;
};

}  // namespace quelvane
