#include "shell/CompareWindow.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>

#include "shell/ComparisonTreeModel.h"

namespace quelvane {

namespace {

constexpr int kTreeWidth = 420;
constexpr int kDetailsWidth = 700;
constexpr int kNameColumnWidth = 220;
// The tree and the details side by side, with room for a diff's lines.
constexpr int kInitialHeight = 640;

}  // namespace

CompareWindow::CompareWindow(SaveComparison comparison, QWidget* parent)
    : QMainWindow(parent),
      model_(new ComparisonTreeModel(std::move(comparison), this)),
      summary_(new QLabel(this)),
      tree_(new QTreeView(this)),
      details_(new QPlainTextEdit(this)) {
    const SaveComparison& shown = model_->comparison();
    setWindowTitle(QStringLiteral("Compare %1 with %2")
                       .arg(QString::fromUtf8(shown.before.c_str()), QString::fromUtf8(shown.after.c_str())));
    QStringList heading;
    for (const ValueChange& library : shown.libraries) {
        heading.push_back(
            QStringLiteral("The saves are of different libraries: %1 and %2")
                .arg(QString::fromUtf8(library.before.c_str()), QString::fromUtf8(library.after.c_str())));
    }
    heading.push_back(QString::fromUtf8(shown.summaryLine().c_str()));
    for (const std::string& unread : shown.unread) {
        heading.push_back(QStringLiteral("Not read: ") + QString::fromUtf8(unread.c_str()));
    }
    summary_->setText(heading.join(QLatin1Char('\n')));
    summary_->setObjectName(QStringLiteral("CompareSummary"));
    summary_->setWordWrap(true);

    tree_->setObjectName(QStringLiteral("CompareTree"));
    tree_->setModel(model_);
    tree_->setUniformRowHeights(true);
    tree_->header()->resizeSection(0, kNameColumnWidth);
    tree_->expandAll();
    details_->setObjectName(QStringLiteral("CompareDetails"));
    details_->setReadOnly(true);
    details_->setLineWrapMode(QPlainTextEdit::NoWrap);
    details_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* splitter = new QSplitter(this);
    splitter->addWidget(tree_);
    splitter->addWidget(details_);
    splitter->setSizes({kTreeWidth, kDetailsWidth});
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(summary_);
    layout->addWidget(splitter, 1);
    setCentralWidget(central);
    resize(kTreeWidth + kDetailsWidth, kInitialHeight);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { showSelected(); });
    showSelected();
}

void CompareWindow::showSelected() {
    details_->setPlainText(model_->detailLines(tree_->currentIndex()).join(QLatin1Char('\n')));
}

}  // namespace quelvane
