#include "export/pickbatch/WholeTextFit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QRadioButton>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace quelvane {

namespace {

constexpr int kSpacing = 4;

bool placed(const QWidget* widget) {
    const QWidget* parent = widget->parentWidget();
    return parent != nullptr && (parent->layout() == nullptr || parent->layout()->indexOf(widget) < 0);
}

bool holdsText(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return !label->wordWrap() && !label->text().isEmpty() && label->pixmap().isNull();
    }
    return qobject_cast<const QCheckBox*>(widget) != nullptr ||
           qobject_cast<const QRadioButton*>(widget) != nullptr;
}

// Grows the widgets from `widget` up to `root` so each holds the one below it.
void growParents(QWidget* widget, QWidget* root) {
    for (QWidget* child = widget; child != root && placed(child); child = child->parentWidget()) {
        QWidget* parent = child->parentWidget();
        const QRect needed = child->geometry();
        const QSize size(std::max(parent->width(), needed.right() + 1),
                         std::max(parent->height(), needed.bottom() + 1));
        if (size == parent->size()) {
            return;
        }
        if (parent->minimumSize() == parent->maximumSize()) {
            parent->setFixedSize(size);
        } else {
            parent->resize(size);
        }
    }
}

// A label wider than its place covers what stands to its right on its row (the value beside a
// caption, the edit beside its label): the whole rest of the row moves right by what is missing,
// keeping its own spacing.
void makeRoomRightOf(QWidget* widget, const QRect& before) {
    QWidget* parent = widget->parentWidget();
    const QRect now = widget->geometry();
    std::vector<QWidget*> row;
    int shift = 0;
    for (QObject* object : parent->children()) {
        auto* sibling = qobject_cast<QWidget*>(object);
        if (sibling == nullptr || sibling == widget || sibling->isWindow() || !placed(sibling)) {
            continue;
        }
        const QRect place = sibling->geometry();
        const bool sameRow = place.top() <= before.bottom() && place.bottom() >= before.top();
        if (!sameRow || place.left() <= before.left() || place.contains(before)) {
            continue;
        }
        row.push_back(sibling);
        shift = std::max(shift, now.right() + kSpacing - place.left());
    }
    if (shift <= 0) {
        return;
    }
    for (QWidget* sibling : row) {
        sibling->move(sibling->x() + shift, sibling->y());
        growParents(sibling, parent->window());
    }
}

}  // namespace

void WholeTextFit::apply(QWidget* root) {
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        if (!holdsText(widget) || !placed(widget)) {
            continue;
        }
        const QSize hint = widget->sizeHint();
        const QRect before = widget->geometry();
        if (hint.width() > widget->width() || hint.height() > widget->height()) {
            widget->resize(std::max(hint.width(), widget->width()), std::max(hint.height(), widget->height()));
        }
        makeRoomRightOf(widget, before);
        growParents(widget, root);
    }
}

void WholeTextFit::follow(QWidget* root) {
    apply(root);
    root->installEventFilter(new WholeTextFit(root));
}

bool WholeTextFit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        apply(static_cast<QWidget*>(watched));
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quelvane
