#include "shell/FieldsPanel.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include <exception>

#include "conversion/PcTextToUtf8.h"
#include "conversion/StoredCcsidText.h"
#include "describe/LogicalFileFields.h"
#include "savefile/FailureReason.h"
#include "savefile/ObjectKinds.h"
#include "shell/FieldListModel.h"
#include "views/FileFacts.h"

namespace quelvane {

namespace {

constexpr int kObjectLevel = 2;
constexpr int kMemberLevel = 3;
constexpr int kMargin = 4;
// A row as high as a line of the member list.
constexpr int kRowPadding = 4;

constexpr std::string_view kLogicalFileAttribute = "LF";

bool isDatabaseFile(const SavedObject& object) {
    return isPhysicalFile(object) ||
           (object.typeCode == kFileObjectType && object.attribute == kLogicalFileAttribute);
}

}  // namespace

FieldsPanel::FieldsPanel(QWidget* window, ViewSession& session, ConversionLayer& conversion,
                         Selection selection)
    : QDockWidget(QStringLiteral("Fields"), window),
      session_(session),
      conversion_(conversion),
      selection_(std::move(selection)),
      model_(new FieldListModel(this)),
      summary_(new QLabel(this)),
      table_(new QTableView(this)) {
    setObjectName(QStringLiteral("FieldsPanel"));
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    summary_->setObjectName(QStringLiteral("FieldsSummary"));
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary_->setWordWrap(true);
    table_->setObjectName(QStringLiteral("FieldsList"));
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + kRowPadding);
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(summary_);
    layout->addWidget(table_, 1);
    setWidget(body);
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
}

std::pair<const SavedPart*, const SavedObject*> FieldsPanel::selectedFile() const {
    const std::optional<NodePosition> node = selection_();
    if (!node || !node->ifsPath.empty()) {
        return {nullptr, nullptr};
    }
    ObjectRef ref;
    if (node->level == kObjectLevel) {
        ref = ObjectRef{node->parentIndex, node->index};
    } else if (node->level == kMemberLevel) {
        ref = ObjectRef{node->grandparentIndex, node->parentIndex};
    } else {
        return {nullptr, nullptr};
    }
    const SavedObject* object = session_.catalog.findObject(ref);
    if (object == nullptr || !isDatabaseFile(*object)) {
        return {nullptr, nullptr};
    }
    return {&session_.catalog.parts[static_cast<std::size_t>(ref.part)], object};
}

std::optional<std::vector<SavedObject>> FieldsPanel::logicalFile(const SavedPart& part,
                                                                 const SavedObject& file,
                                                                 QString& why) const {
    try {
        std::unique_ptr<BlockSource> source = session_.openSaveFile();
        if (source == nullptr || !source->isOpen()) {
            why = QStringLiteral("The save file cannot be opened again.");
            return std::nullopt;
        }
        return LogicalFileFields::readFormats(*source, part, file, session_.converter);
    } catch (const std::exception& failure) {
        why = QStringLiteral("Its record format cannot be read: ") +
              QString::fromStdString(failureReason(failure));
        return std::nullopt;
    }
}

void FieldsPanel::follow() {
    auto [part, file] = selectedFile();
    if (file == nullptr) {
        hide();
        model_->clear();
        summary_->clear();
        return;
    }
    PcTextToUtf8 utf8(conversion_.PcCodePage);
    StoredCcsidText texts(conversion_.EbcdicCodePage);
    QString why;
    std::optional<std::vector<SavedObject>> logical;
    if (!isPhysicalFile(*file)) {
        logical = logicalFile(*part, *file, why);
    }
    const FileFacts facts =
        logical ? FileFacts::of(*logical, utf8, texts) : FileFacts::of(*file, utf8, texts);
    QStringList lines;
    for (const std::string& line : facts.summaryLines(utf8.toUtf8(file->name))) {
        lines << QString::fromStdString(line);
    }
    if (!why.isEmpty()) {
        lines << why;
    } else if (facts.fields.empty()) {
        lines << QStringLiteral("The save holds no field descriptions of this file.");
    }
    summary_->setText(lines.join(QLatin1Char('\n')));
    model_->setFields(facts.fields);
    table_->resizeColumnsToContents();
    show();
}

QString FieldsPanel::summaryText() const {
    return summary_->text();
}

}  // namespace quelvane
