#include "export/pickbatch/WholeTextFit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QRadioButton>
#include <QWidget>

#include <algorithm>

namespace quelvane {

namespace {

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

}  // namespace

void WholeTextFit::apply(QWidget* root) {
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        if (!holdsText(widget) || !placed(widget)) {
            continue;
        }
        const QSize hint = widget->sizeHint();
        if (hint.width() <= widget->width() && hint.height() <= widget->height()) {
            continue;
        }
        widget->resize(std::max(hint.width(), widget->width()), std::max(hint.height(), widget->height()));
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
