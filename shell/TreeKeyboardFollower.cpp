#include "shell/TreeKeyboardFollower.h"

#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QTreeView>

namespace quelvane {

TreeKeyboardFollower::TreeKeyboardFollower(QTreeView* tree, std::function<void()> show)
    : QObject(tree), tree_(tree), show_(std::move(show)) {
    timer_.setSingleShot(true);
    timer_.setInterval(kDelayMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &TreeKeyboardFollower::showCurrent);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { currentChanged(current); });
}

void TreeKeyboardFollower::shown(const QModelIndex& index) {
    timer_.stop();
    shown_ = index;
}

void TreeKeyboardFollower::currentChanged(const QModelIndex& current) {
    // A mouse press moves the current node too; the click that follows shows it.
    if (QGuiApplication::mouseButtons() != Qt::NoButton || !current.isValid()) {
        return;
    }
    timer_.start();
}

void TreeKeyboardFollower::showCurrent() {
    const QModelIndex current = tree_->currentIndex();
    if (!current.isValid() || current == shown_) {
        return;
    }
    shown_ = current;
    show_();
}

}  // namespace quelvane
