#include "shell/TreeFinder.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTreeView>
#include <QVBoxLayout>

namespace quelvane {

namespace {

constexpr const char* kNoMatchStyle = "color: #b00000";

// An object's caption is its name with its type in brackets; a member's is its name.
QString nameOf(const QString& caption) {
    const qsizetype bracket = caption.indexOf(QLatin1Char('('));
    return (bracket > 0 ? caption.left(bracket) : caption).trimmed();
}

}  // namespace

TreeFinder::TreeFinder(QWidget* window, QTreeView* tree, Searchable searchable, std::function<void()> shown)
    : QObject(window), tree_(tree), searchable_(std::move(searchable)), shown_(std::move(shown)) {
    panel_ = new QWidget(tree->parentWidget());
    panel_->setObjectName(QStringLiteral("FindPanel"));
    auto* column = new QVBoxLayout(panel_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    field_ = new QLineEdit(panel_);
    field_->setObjectName(QStringLiteral("FindField"));
    field_->setClearButtonEnabled(true);
    field_->setPlaceholderText(QStringLiteral("Find object or member (ORD*)"));
    field_->setToolTip(
        QStringLiteral("A name, part of one, or a pattern with * and ?; Enter finds the next"));
    column->addWidget(field_);
    column->addWidget(tree, 1);
    field_->installEventFilter(this);
    connect(field_, &QLineEdit::textEdited, this, &TreeFinder::findTyped);
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
    field_->setFocus(Qt::ShortcutFocusReason);
    field_->selectAll();
}

bool TreeFinder::eventFilter(QObject* watched, QEvent* event) {
    const bool key = event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress;
    if (watched != field_ || !key || static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape) {
        return QObject::eventFilter(watched, event);
    }
    // Escape in the box is the box's own, not a window shortcut's (Stop listing).
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    tree_->setFocus(Qt::OtherFocusReason);
    return true;
}

void TreeFinder::findTyped(const QString& text) {
    const bool hit = find(text, true, true);
    field_->setStyleSheet(hit || text.isEmpty() ? QString() : QString::fromLatin1(kNoMatchStyle));
}

bool TreeFinder::matches(const QString& caption, const QString& typed) {
    const QString text = typed.trimmed();
    if (text.isEmpty()) {
        return false;
    }
    if (text.contains(QLatin1Char('*')) || text.contains(QLatin1Char('?'))) {
        QString expression;
        for (const QChar c : text) {
            expression += c == QLatin1Char('*')   ? QStringLiteral(".*")
                          : c == QLatin1Char('?') ? QStringLiteral(".")
                                                  : QRegularExpression::escape(QString(c));
        }
        const QRegularExpression pattern(QRegularExpression::anchoredPattern(expression),
                                         QRegularExpression::CaseInsensitiveOption);
        return pattern.match(nameOf(caption)).hasMatch();
    }
    return caption.contains(text, Qt::CaseInsensitive);
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

bool TreeFinder::found(const QModelIndex& index, const QString& text) const {
    return (!searchable_ || searchable_(index)) && matches(index.data().toString(), text);
}

bool TreeFinder::find(const QString& text, bool forward, bool includeCurrent) {
    const QAbstractItemModel* model = tree_->model();
    if (text.trimmed().isEmpty() || model == nullptr || model->rowCount() == 0) {
        return false;
    }
    const QModelIndex start = tree_->currentIndex().isValid() ? tree_->currentIndex() : model->index(0, 0);
    QModelIndex index = includeCurrent ? start : step(start, forward);
    // Every node is visited at most once: the walk wraps round to where it began.
    bool hit = false;
    do {
        if (found(index, text)) {
            hit = true;
            break;
        }
        index = step(index, forward);
    } while (index.isValid() && index != start);
    if (!hit && index == start && found(index, text)) {
        hit = true;
    }
    if (!hit) {
        return false;
    }
    tree_->setCurrentIndex(index);
    tree_->scrollTo(index);
    if (shown_) {
        shown_();
    }
    return true;
}

}  // namespace quelvane
