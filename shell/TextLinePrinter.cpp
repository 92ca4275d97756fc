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
constexpr qreal kSizeStep = 0.25;

qreal widestLine(const QStringList& lines, const QFont& font, QPaintDevice* device) {
    const QFontMetricsF metrics(font, device);
    qreal widest = 0;
    for (const QString& line : lines) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    return widest;
}

// The fixed-pitch font at the largest size, at most kPointSize, whose widest line fits `width`.
// Advances are rounded to the device's pixels, so a size scaled down in proportion can still be
// a little too wide: it is measured again and made smaller until the line fits.
QFont fittedFont(const QStringList& lines, QPaintDevice* device, qreal width) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(kPointSize);
    qreal widest = widestLine(lines, font, device);
    while (widest > width && font.pointSizeF() > kSmallestPointSize) {
        font.setPointSizeF(std::max(
            kSmallestPointSize, std::min(font.pointSizeF() - kSizeStep, font.pointSizeF() * width / widest)));
        widest = widestLine(lines, font, device);
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
