#include "shell/TextLinePrinter.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace quelvane {

namespace {

constexpr qreal kPointSize = 10.0;
constexpr qreal kSmallestPointSize = 5.0;

// The fixed-pitch font at the largest size, at most kPointSize, whose widest line fits `width`.
QFont fittedFont(const QStringList& lines, QPaintDevice* device, qreal width) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(kPointSize);
    const QFontMetricsF metrics(font, device);
    qreal widest = 0;
    for (const QString& line : lines) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    if (widest > width && widest > 0) {
        font.setPointSizeF(std::max(kSmallestPointSize, kPointSize * width / widest));
    }
    return font;
}

}  // namespace

bool TextLinePrinter::print(const QStringList& lines, QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    const QRectF area = printer.pageLayout().paintRectPixels(printer.resolution());
    const QFont font = fittedFont(lines, &printer, area.width());
    painter.setFont(font);
    const QFontMetricsF metrics(font, &printer);
    const int linesPerPage = std::max(1, static_cast<int>(area.height() / metrics.lineSpacing()));
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0 && i % linesPerPage == 0) {
            printer.newPage();
        }
        const qreal baseline = metrics.ascent() + (i % linesPerPage) * metrics.lineSpacing();
        painter.drawText(QPointF(0, baseline), lines[i]);
    }
    return painter.end();
}

}  // namespace quelvane
