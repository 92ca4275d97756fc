#include "shell/ContentCopy.h"

#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMenu>

#include <algorithm>

namespace quelvane {

namespace {

QString cellText(const QVariant& value) {
    QString text = value.toString();
    for (QChar& c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            c = QLatin1Char(' ');
        }
    }
    return text;
}

}  // namespace

ContentCopy::ContentCopy(QAbstractItemView* list, QMenu* popup) : QObject(list), list_(list) {
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    action_ = new QAction(QStringLiteral("Copy"), list_);
    action_->setObjectName(QStringLiteral("CopyRows"));
    action_->setShortcut(QKeySequence::Copy);
    action_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    list_->addAction(action_);
    connect(action_, &QAction::triggered, this, &ContentCopy::copy);
    if (popup != nullptr) {
        popup->addSeparator();
        popup->addAction(action_);
        connect(popup, &QMenu::aboutToShow, this,
                [this] { action_->setEnabled(list_->selectionModel()->hasSelection()); });
    }
}

QString ContentCopy::selectedText() const {
    const QAbstractItemModel* model = list_->model();
    QModelIndexList rows = list_->selectionModel()->selectedRows();
    if (model == nullptr || rows.isEmpty()) {
        return {};
    }
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    const int columns = model->columnCount();
    QString text;
    QStringList cells;
    for (int column = 0; column < columns; ++column) {
        cells << cellText(model->headerData(column, Qt::Horizontal));
    }
    text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (const QModelIndex& row : rows) {
        cells.clear();
        for (int column = 0; column < columns; ++column) {
            cells << cellText(model->index(row.row(), column).data());
        }
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

void ContentCopy::copy() const {
    const QString text = selectedText();
    if (!text.isEmpty()) {
        QGuiApplication::clipboard()->setText(text);
    }
}

}  // namespace quelvane
