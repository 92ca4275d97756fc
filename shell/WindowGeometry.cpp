#include "shell/WindowGeometry.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTableView>

#include <algorithm>

#include "settings/SettingsFile.h"
#include "shell/UserDialogs.h"

namespace quelvane {

namespace {

constexpr int kUnset = -1;
// The header's margins around its caption.
constexpr int kHeaderPadding = 8;
// The top panel above the tree and the list.
constexpr int kTopPanelHeight = 63;
// Room kept for the window manager's title bar and a panel on the screen.
constexpr int kScreenMargin = 64;

}  // namespace

WindowGeometry::WindowGeometry(QMainWindow* window, QSplitter* splitter, QAbstractItemView* list,
                               SettingsFile& settings, UserDialogs& dialogs)
    : QObject(window),
      window_(window),
      splitter_(splitter),
      list_(list),
      settings_(settings),
      dialogs_(dialogs) {
    window_->installEventFilter(this);
}

QSize WindowGeometry::defaultSize() const {
    const int text = list_->fontMetrics().height();
    // A row as the list's style draws it, with the text of a record number.
    QStyleOptionViewItem row;
    row.initFrom(list_);
    row.font = list_->font();
    row.features |= QStyleOptionViewItem::HasDisplay;
    row.text = QStringLiteral("0");
    const int rowHeight = std::max(
        text, list_->style()->sizeFromContents(QStyle::CT_ItemViewItem, &row, QSize(), list_).height());
    const auto* table = qobject_cast<const QTableView*>(list_);
    const int rows =
        kDefaultListRows * (table != nullptr ? table->verticalHeader()->defaultSectionSize() : rowHeight);
    const int chrome = window_->menuBar()->sizeHint().height() + kTopPanelHeight + text + kHeaderPadding +
                       window_->statusBar()->height() + 2 * list_->frameWidth();
    return {kDefaultWidth, chrome + rows};
}

void WindowGeometry::restore() {
    const int width = settings_.readInteger(kSection, "Width", kUnset);
    const int height = settings_.readInteger(kSection, "Height", kUnset);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1366, 768);
    if (width > 0 && height > 0) {
        const QSize size(std::min(width, available.width()), std::min(height, available.height()));
        window_->resize(size);
        const int left = settings_.readInteger(kSection, "Left", available.left());
        const int top = settings_.readInteger(kSection, "Top", available.top());
        // A position off every screen (a screen since removed) falls back onto the main one.
        QPoint at(left, top);
        if (QGuiApplication::screenAt(at + QPoint(size.width() / 2, 16)) == nullptr) {
            at = available.topLeft();
        }
        window_->move(at);
    } else {
        QSize size = defaultSize();
        size = size.boundedTo(available.size() - QSize(0, kScreenMargin));
        window_->resize(size);
        window_->move(available.center() - window_->rect().center());
    }
    const int tree = settings_.readInteger(kSection, "TreeWidth", kUnset);
    if (tree > 0) {
        const int total = std::max(window_->width(), tree + 1);
        splitter_->setSizes({tree, total - tree});
    }
    if (settings_.readInteger(kSection, "Maximized", 0) != 0) {
        window_->setWindowState(window_->windowState() | Qt::WindowMaximized);
    }
}

void WindowGeometry::save() {
    const bool maximized = window_->isMaximized();
    // A maximised window keeps the size it had before, to return to it.
    const QRect normal = maximized ? window_->normalGeometry() : window_->geometry();
    const QPoint at = maximized ? normal.topLeft() : window_->pos();
    try {
        settings_.writeInteger(kSection, "Left", at.x());
        settings_.writeInteger(kSection, "Top", at.y());
        settings_.writeInteger(kSection, "Width", normal.width());
        settings_.writeInteger(kSection, "Height", normal.height());
        settings_.writeInteger(kSection, "Maximized", maximized ? 1 : 0);
        settings_.writeInteger(kSection, "TreeWidth", splitter_->sizes().value(0));
    } catch (const SettingsWriteFailure& failure) {
        dialogs_.showMessage(window_, QStringLiteral("Quelvane"), QString::fromStdString(failure.what()));
    }
}

bool WindowGeometry::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Close) {
        save();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quelvane
