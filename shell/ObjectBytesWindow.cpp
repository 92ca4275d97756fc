#include "shell/ObjectBytesWindow.h"

#include <QLabel>
#include <QListView>
#include <QVBoxLayout>

#include "shell/DisplayCharset.h"
#include "shell/HexDumpModel.h"
#include "views/ObjectBytesPages.h"

namespace quelvane {

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

}  // namespace

ObjectBytesWindow::ObjectBytesWindow(QWidget* parent, ViewSession& session, const SavedObject& object,
                                     int codePage)
    : QDialog(parent),
      pages_(std::make_unique<ObjectBytesPages>(session, object)),
      heading_(new QLabel(this)),
      lines_(new QListView(this)) {
    setObjectName(QStringLiteral("ObjectBytesWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    QStringDecoder decoder = DisplayCharset::decoderFor(codePage);
    const QString name = DisplayCharset::decode(decoder, object.name);
    setWindowTitle(QStringLiteral("Show bytes: ") + name);
    heading_->setObjectName(QStringLiteral("ObjectBytesHeading"));
    lines_->setObjectName(QStringLiteral("ObjectBytesLines"));
    // Every row is one line of the same font: the view asks only for the rows in sight.
    lines_->setUniformItemSizes(true);
    lines_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    if (pages_->available()) {
        heading_->setText(
            name + QStringLiteral(": %1 bytes of stored data").arg(pages_->size()) +
            (pages_->truncated() ? QStringLiteral(" (the file ends before the rest)") : QString()));
        model_ = new HexDumpModel(*pages_, codePage, this);
        lines_->setModel(model_);
    } else {
        heading_->setText(name + QStringLiteral(": ") + DisplayCharset::decode(decoder, pages_->failure()));
        lines_->hide();
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(lines_, 1);
    resize(kWidth, kHeight);
}

// The view lets go of the model before the pages it reads go.
ObjectBytesWindow::~ObjectBytesWindow() {
    lines_->setModel(nullptr);
    delete model_;
}

}  // namespace quelvane
