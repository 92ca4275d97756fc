#include "shell/ElidedLabel.h"

#include <QPainter>
#include <QStyle>

namespace quelvane {

ElidedLabel::ElidedLabel(Qt::TextElideMode mode, QWidget* parent) : QLabel(parent), mode_(mode) {}

QString ElidedLabel::shownText() const {
    return fontMetrics().elidedText(text(), mode_, contentsRect().width());
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), static_cast<int>(alignment()), palette(), isEnabled(),
                          shownText(), foregroundRole());
}

}  // namespace quelvane
