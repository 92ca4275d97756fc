#include "shell/ObjectListDialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSortFilterProxyModel>
#include <QTreeView>
#include <QVBoxLayout>

#include <filesystem>

#include "conversion/PcTextToUtf8.h"
#include "export/pickbatch/WholeTextFit.h"
#include "savefile/AtomicFile.h"
#include "shell/ObjectListModel.h"
#include "shell/TextLinePrinter.h"
#include "shell/UserDialogs.h"
#include "views/ObjectList.h"
#include "views/ObjectListText.h"

namespace quelvane {

namespace {

constexpr int kInitialWidth = 760;
constexpr int kInitialHeight = 480;

QString caption() {
    return QStringLiteral("Object list");
}

QString askSavePath(QWidget* parent) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Save as text"),
                                        QCoreApplication::applicationDirPath(),
                                        QStringLiteral("Text files (*.txt);;*.* (*)"));
}

}  // namespace

ObjectListDialog::ObjectListDialog(QWidget* parent, const Catalog& catalog,
                                   std::function<std::int32_t()> pcCodePage, UserDialogs& dialogs)
    : QDialog(parent),
      catalog_(catalog),
      pcCodePage_(std::move(pcCodePage)),
      dialogs_(dialogs),
      choosePath_(askSavePath),
      model_(new ObjectListModel(this)),
      proxy_(new QSortFilterProxyModel(this)),
      header_(new QLabel(this)),
      filter_(new QLineEdit(this)),
      count_(new QLabel(this)),
      view_(new QTreeView(this)) {
    setObjectName(QStringLiteral("ObjectListDialog"));
    setWindowTitle(caption());
    resize(kInitialWidth, kInitialHeight);
    header_->setObjectName(QStringLiteral("ObjectListHeader"));
    header_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    proxy_->setSourceModel(model_);
    proxy_->setSortRole(ObjectListModel::kSortRole);
    proxy_->setSortCaseSensitivity(Qt::CaseInsensitive);
    proxy_->setFilterKeyColumn(ObjectListText::kName);
    view_->setObjectName(QStringLiteral("ObjectListView"));
    view_->setRootIsDecorated(false);
    view_->setUniformRowHeights(true);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setModel(proxy_);
    // Catalog order until a caption is clicked.
    view_->header()->setSortIndicator(-1, Qt::AscendingOrder);
    view_->setSortingEnabled(true);
    view_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    filter_->setObjectName(QStringLiteral("ObjectListFilter"));
    filter_->setPlaceholderText(QStringLiteral("name, or a pattern with *"));
    filter_->setClearButtonEnabled(true);
    count_->setObjectName(QStringLiteral("ObjectListCount"));
    connect(filter_, &QLineEdit::textChanged, this, &ObjectListDialog::followFilter);

    auto* filterRow = new QHBoxLayout;
    auto* filterLabel = new QLabel(QStringLiteral("&Name:"), this);
    filterLabel->setBuddy(filter_);
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(filter_, 1);
    filterRow->addWidget(count_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* save = buttons->addButton(QStringLiteral("Save as text..."), QDialogButtonBox::ActionRole);
    save->setObjectName(QStringLiteral("ObjectListSave"));
    QPushButton* print = buttons->addButton(QStringLiteral("Print..."), QDialogButtonBox::ActionRole);
    print->setObjectName(QStringLiteral("ObjectListPrint"));
    connect(save, &QPushButton::clicked, this, &ObjectListDialog::saveAsText);
    connect(print, &QPushButton::clicked, this, &ObjectListDialog::printList);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header_);
    layout->addLayout(filterRow);
    layout->addWidget(view_, 1);
    layout->addWidget(buttons);
    WholeTextFit::follow(this);
}

void ObjectListDialog::showList() {
    PcTextToUtf8 utf8(pcCodePage_());
    const std::unique_ptr<CatalogTexts> texts = texts_ ? texts_() : std::make_unique<CatalogTexts>();
    ObjectList list = ObjectList::of(catalog_, utf8, *texts);
    headerLines_ = std::move(list.headerLines);
    QStringList header;
    for (const std::string& line : headerLines_) {
        header << QString::fromStdString(line);
    }
    header_->setText(header.join(QLatin1Char('\n')));
    model_->setRows(std::move(list.rows));
    followFilter(filter_->text());
    const std::string file = std::filesystem::path(catalog_.path).filename().string();
    setWindowTitle(file.empty() ? caption()
                                : caption() + QStringLiteral(" - ") + QString::fromStdString(file));
    show();
    raise();
    activateWindow();
}

void ObjectListDialog::followOpenedSave() {
    if (isVisible()) {
        showList();
    }
}

QString ObjectListDialog::namePattern(const QString& typed) {
    const QStringList pieces = typed.trimmed().split(QLatin1Char('*'));
    QStringList escaped;
    for (const QString& piece : pieces) {
        escaped << QRegularExpression::escape(piece);
    }
    // Without a *, the name only has to start with what was typed.
    return pieces.size() == 1 ? QLatin1Char('^') + escaped.front()
                              : QRegularExpression::anchoredPattern(escaped.join(QStringLiteral(".*")));
}

void ObjectListDialog::followFilter(const QString& typed) {
    proxy_->setFilterRegularExpression(
        QRegularExpression(namePattern(typed), QRegularExpression::CaseInsensitiveOption));
    count_->setText(QStringLiteral("%1 of %2 objects").arg(proxy_->rowCount()).arg(model_->rowCount()));
}

QStringList ObjectListDialog::shownLines() const {
    std::vector<const ObjectListRow*> rows;
    for (int i = 0; i < proxy_->rowCount(); ++i) {
        rows.push_back(&model_->row(proxy_->mapToSource(proxy_->index(i, 0)).row()));
    }
    QStringList lines;
    for (const std::string& line : ObjectListText::lines(headerLines_, rows)) {
        lines << QString::fromStdString(line);
    }
    return lines;
}

// Written whole under a temporary name, never through a link at the chosen name.
bool ObjectListDialog::saveText(const QString& path) {
    const QByteArray text = (shownLines().join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    AtomicFile file;
    if (file.open(std::filesystem::path(QFile::encodeName(path).toStdString()),
                  AtomicFile::Existing::ReplaceNamed, false)) {
        file.write(text.constData(), static_cast<std::size_t>(text.size()));
    }
    if (!file.commit()) {
        dialogs_.showMessage(
            this, caption(),
            QStringLiteral("Cannot write %1: %2").arg(path, QString::fromStdString(file.error())));
        return false;
    }
    return true;
}

void ObjectListDialog::saveAsText() {
    const QString path = choosePath_(this);
    if (!path.isEmpty()) {
        saveText(path);
    }
}

void ObjectListDialog::print(QPrinter& printer) {
    if (!TextLinePrinter::print(shownLines(), printer)) {
        dialogs_.showMessage(this, caption(), QStringLiteral("The printer could not be started."));
    }
}

void ObjectListDialog::printList() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog chooser(&printer, this);
    if (chooser.exec() == QDialog::Accepted) {
        print(printer);
    }
}

}  // namespace quelvane
