#include "shell/TreeFinder.h"

#include <QAction>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTreeView>

namespace quelvane {

TreeFinder::TreeFinder(QWidget* window, QTreeView* tree, QStatusBar* statusBar)
    : QObject(window), tree_(tree) {
    bar_ = new QWidget(statusBar);
    bar_->setObjectName(QStringLiteral("FindBar"));
    auto* row = new QHBoxLayout(bar_);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("Find:"), bar_));
    field_ = new QLineEdit(bar_);
    field_->setObjectName(QStringLiteral("FindField"));
    field_->setClearButtonEnabled(true);
    field_->setPlaceholderText(QStringLiteral("object or member name"));
    row->addWidget(field_);
    statusBar->addPermanentWidget(bar_);
    bar_->hide();
    field_->installEventFilter(this);
    connect(field_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!find(text, true, true)) {
            field_->setStyleSheet(text.isEmpty() ? QString() : QStringLiteral("color: #b00000"));
        } else {
            field_->setStyleSheet({});
        }
    });
    connect(field_, &QLineEdit::returnPressed, this, [this] { find(field_->text()); });

    auto* openFind = new QAction(window);
    openFind->setShortcut(QKeySequence::Find);
    openFind->setShortcutContext(Qt::WindowShortcut);
    window->addAction(openFind);
    connect(openFind, &QAction::triggered, this, &TreeFinder::open);
    auto* next = new QAction(window);
    next->setShortcut(QKeySequence::FindNext);
    window->addAction(next);
    connect(next, &QAction::triggered, this, [this] { find(field_->text()); });
    auto* previous = new QAction(window);
    previous->setShortcut(QKeySequence::FindPrevious);
    window->addAction(previous);
    connect(previous, &QAction::triggered, this, [this] { find(field_->text(), false); });
}

void TreeFinder::open() {
    bar_->show();
    field_->setFocus(Qt::ShortcutFocusReason);
    field_->selectAll();
}

void TreeFinder::close() {
    bar_->hide();
    tree_->setFocus(Qt::OtherFocusReason);
}

bool TreeFinder::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

QModelIndex TreeFinder::lastDescendant(QModelIndex index) const {
    const QAbstractItemModel* model = tree_->model();
    for (int rows = model->rowCount(index); rows > 0; rows = model->rowCount(index)) {
        index = model->index(rows - 1, 0, index);
    }
    return index;
}

// The node after (or before) `index` in tree order, counting unopened branches; wraps round.
QModelIndex TreeFinder::step(const QModelIndex& index, bool forward) const {
    const QAbstractItemModel* model = tree_->model();
    if (forward) {
        if (model->rowCount(index) > 0) {
            return model->index(0, 0, index);
        }
        for (QModelIndex walk = index; walk.isValid(); walk = walk.parent()) {
            if (walk.row() + 1 < model->rowCount(walk.parent())) {
                return model->index(walk.row() + 1, 0, walk.parent());
            }
        }
        return model->index(0, 0);
    }
    if (!index.isValid()) {
        return lastDescendant(model->index(model->rowCount() - 1, 0));
    }
    if (index.row() > 0) {
        return lastDescendant(model->index(index.row() - 1, 0, index.parent()));
    }
    return index.parent().isValid() ? index.parent() : lastDescendant(model->index(model->rowCount() - 1, 0));
}

bool TreeFinder::find(const QString& text, bool forward, bool includeCurrent) {
    const QAbstractItemModel* model = tree_->model();
    if (text.isEmpty() || model == nullptr || model->rowCount() == 0) {
        return false;
    }
    const QModelIndex start = tree_->currentIndex().isValid() ? tree_->currentIndex() : model->index(0, 0);
    QModelIndex index = includeCurrent ? start : step(start, forward);
    do {
        if (index.data().toString().contains(text, Qt::CaseInsensitive)) {
            tree_->setCurrentIndex(index);
            tree_->scrollTo(index);
            return true;
        }
        index = step(index, forward);
    } while (index.isValid() && index != start);
    if (index == start && index.data().toString().contains(text, Qt::CaseInsensitive)) {
        tree_->setCurrentIndex(index);
        return true;
    }
    return false;
}

}  // namespace quelvane
