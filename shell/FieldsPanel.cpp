#include "shell/FieldsPanel.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include "conversion/PcTextToUtf8.h"
#include "conversion/StoredCcsidText.h"
#include "savefile/ObjectKinds.h"
#include "shell/FieldListModel.h"
#include "views/FileFacts.h"

namespace quelvane {

namespace {

constexpr int kObjectLevel = 2;
constexpr int kMemberLevel = 3;
constexpr int kMargin = 4;

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
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(summary_);
    layout->addWidget(table_, 1);
    setWidget(body);
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
}

const SavedObject* FieldsPanel::selectedFile() const {
    const std::optional<NodePosition> node = selection_();
    if (!node || !node->ifsPath.empty()) {
        return nullptr;
    }
    const SavedObject* object = nullptr;
    if (node->level == kObjectLevel) {
        object = session_.catalog.findObject(ObjectRef{node->parentIndex, node->index});
    } else if (node->level == kMemberLevel) {
        object = session_.catalog.findObject(ObjectRef{node->grandparentIndex, node->parentIndex});
    }
    return object != nullptr && isDatabaseFile(*object) ? object : nullptr;
}

void FieldsPanel::follow() {
    const SavedObject* file = selectedFile();
    if (file == nullptr) {
        hide();
        model_->clear();
        summary_->clear();
        return;
    }
    PcTextToUtf8 utf8(conversion_.PcCodePage);
    StoredCcsidText texts(conversion_.EbcdicCodePage);
    const FileFacts facts = FileFacts::of(*file, utf8, texts);
    QStringList lines;
    for (const std::string& line : facts.summaryLines(utf8.toUtf8(file->name))) {
        lines << QString::fromStdString(line);
    }
    if (facts.fields.empty()) {
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
