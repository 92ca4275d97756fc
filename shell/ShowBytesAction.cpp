#include "shell/ShowBytesAction.h"

#include <QAction>
#include <QMenu>

#include "export/pickbatch/FailureReporter.h"
#include "shell/ObjectBytesWindow.h"

namespace quelvane {

namespace {

constexpr int kObjectLevel = 2;

}  // namespace

ShowBytesAction::ShowBytesAction(QWidget* window, ViewSession& session, std::function<int()> codePage,
                                 Selection selection)
    : QObject(window),
      window_(window),
      session_(session),
      codePage_(std::move(codePage)),
      selection_(std::move(selection)),
      action_(new QAction(QString::fromLatin1(kCaption), this)) {
    action_->setObjectName(QStringLiteral("ShowBytes1"));
    action_->setEnabled(false);
    connect(action_, &QAction::triggered, this, [this] { FailureReporter::guard([this] { showBytes(); }); });
}

void ShowBytesAction::addTo(QMenu* menu) {
    menu->addAction(action_);
    connect(menu, &QMenu::aboutToShow, this, [this] { FailureReporter::guard([this] { follow(); }); });
}

void ShowBytesAction::follow() {
    action_->setEnabled(selectedObject() != nullptr);
}

void ShowBytesAction::showBytes() {
    const SavedObject* object = selectedObject();
    if (object == nullptr) {
        return;
    }
    last_ = new ObjectBytesWindow(window_, session_, *object, codePage_());
    last_->show();
}

ObjectBytesWindow* ShowBytesAction::lastWindow() const {
    return last_.data();
}

const SavedObject* ShowBytesAction::selectedObject() const {
    const std::optional<NodePosition> node = selection_();
    if (!node || node->level != kObjectLevel || !node->ifsPath.empty()) {
        return nullptr;
    }
    return session_.catalog.findObject(ObjectRef{node->parentIndex, node->index});
}

}  // namespace quelvane
