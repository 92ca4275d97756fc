#include "shell/FlatListView.h"

#include <QEvent>
#include <QHeaderView>

namespace quelvane {

namespace {

// Room above and below a row's text.
constexpr int kRowPadding = 4;

}  // namespace

FlatListView::FlatListView(QWidget* parent) : QTableView(parent) {
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    followFont();
}

void FlatListView::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        followFont();
    }
}

void FlatListView::followFont() {
    const int height =
        std::max(fontMetrics().height() + kRowPadding, iconSize().isValid() ? iconSize().height() : 16);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(height);
}

}  // namespace quelvane
