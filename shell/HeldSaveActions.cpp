#include "shell/HeldSaveActions.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>

#include <algorithm>

#include "export/pickbatch/FailureReporter.h"
#include "savefile/RelocatedTailSource.h"
#include "savefile/SaveFileWriter.h"
#include "shell/DisplayCharset.h"
#include "shell/UserDialogs.h"
#include "views/ObjectList.h"
#include "views/OpenedSave.h"

namespace quelvane {

namespace {

constexpr int kObjectLevel = 2;

QString askTarget(QWidget* parent, const QString& suggested) {
    return QFileDialog::getSaveFileName(parent, QString::fromLatin1(HeldSaveActions::kExportCaption),
                                        suggested, QStringLiteral("Save Files (*.savf *.SAVF);;*.* (*)"));
}

}  // namespace

HeldSaveActions::HeldSaveActions(QWidget* window, ViewSession& session, UserDialogs& dialogs,
                                 std::function<std::int32_t()> pcCodePage, Selection selection,
                                 WindowOpener openWindow)
    : QObject(window),
      window_(window),
      session_(session),
      dialogs_(dialogs),
      pcCodePage_(std::move(pcCodePage)),
      selection_(std::move(selection)),
      openWindow_(std::move(openWindow)),
      chooseTarget_(askTarget),
      open_(new QAction(QString::fromLatin1(kOpenCaption), this)),
      export_(new QAction(QString::fromLatin1(kExportCaption) + QStringLiteral("..."), this)) {
    open_->setObjectName(QStringLiteral("OpenSavedSaveFile1"));
    export_->setObjectName(QStringLiteral("ExportSaveFile1"));
    open_->setEnabled(false);
    export_->setEnabled(false);
    connect(open_, &QAction::triggered, this, [this] { FailureReporter::guard([this] { openHeld(); }); });
    connect(export_, &QAction::triggered, this, [this] { FailureReporter::guard([this] { exportHeld(); }); });
}

void HeldSaveActions::addTo(QMenu* menu) {
    menu->addSeparator();
    menu->addAction(open_);
    menu->addAction(export_);
    connect(menu, &QMenu::aboutToShow, this, [this] { FailureReporter::guard([this] { follow(); }); });
}

void HeldSaveActions::follow() {
    const std::optional<Held> held = selectedHeld();
    const bool enabled = held && held->where.state != NestedSave::State::NotSaveFile;
    open_->setEnabled(enabled);
    export_->setEnabled(enabled);
}

void HeldSaveActions::openHeld() {
    const std::optional<Held> held = selectedHeld();
    if (!held || !usable(*held, kOpenCaption)) {
        return;
    }
    const QString name = QString::fromStdString(session_.catalog.path) + QStringLiteral(" > ") +
                         decode(held->library) + QLatin1Char('/') + decode(held->object);
    QWidget* opened = openWindow_(name, heldOpener(held->where));
    if (opened == nullptr) {
        return;
    }
    if (auto* inner = opened->findChild<HeldSaveActions*>(QString(), Qt::FindDirectChildrenOnly)) {
        inner->setOuterFile(outerFile());
    }
}

void HeldSaveActions::exportHeld() {
    const std::optional<Held> held = selectedHeld();
    if (!held || !usable(*held, kExportCaption)) {
        return;
    }
    const QString suggested = QFileInfo(outerFile()).absolutePath() + QLatin1Char('/') +
                              decode(held->object) + QStringLiteral(".savf");
    const QString target = chooseTarget_(window_, suggested);
    if (target.isEmpty()) {
        return;
    }
    const std::unique_ptr<BlockSource> source = heldOpener(held->where)(session_.catalog.path);
    const std::string failure = SaveFileWriter::write(*source, QFile::encodeName(target).toStdString());
    if (!failure.empty()) {
        dialogs_.showMessage(window_, QString::fromLatin1(kExportCaption), QString::fromLocal8Bit(failure));
    }
}

std::vector<std::string> HeldSaveActions::heldContents() const {
    const std::optional<Held> held = selectedHeld();
    if (!held) {
        return {};
    }
    PcTextToUtf8 utf8(pcCodePage_());
    if (held->where.state != NestedSave::State::Found) {
        return {utf8.toUtf8(held->where.message)};
    }
    // Read quietly: a held save that cannot be read says so in the pane, not in a message box.
    SilentNotifier quiet;
    OpenedSave inner;
    const ViewSession::SourceOpener opener = heldOpener(held->where);
    const std::string path = session_.catalog.path;
    if (inner.open([opener, path] { return opener(path); }, path, session_.converter, quiet) !=
        OpenedSave::Outcome::Opened) {
        return {"The saved save file cannot be read: " + inner.report().text()};
    }
    const ObjectList list = ObjectList::of(inner.catalog(), utf8);
    std::vector<std::string> lines = list.headerLines;
    lines.push_back(std::to_string(list.rows.size()) + " objects:");
    for (std::size_t i = 0; i < std::min(list.rows.size(), kListedObjects); ++i) {
        const ObjectListRow& row = list.rows[i];
        lines.push_back("    " + row.name + "  " + row.type + "  " + row.attribute + "  " + row.text);
    }
    if (list.rows.size() > kListedObjects) {
        lines.push_back("    ... " + std::to_string(list.rows.size() - kListedObjects) + " more");
    }
    return lines;
}

std::optional<HeldSaveActions::Held> HeldSaveActions::selectedHeld() const {
    const std::optional<NodePosition> node = selection_();
    if (!node || node->level != kObjectLevel) {
        return std::nullopt;
    }
    const Catalog& catalog = session_.catalog;
    const ObjectRef ref{node->parentIndex, node->index};
    const SavedObject* object = catalog.findObject(ref);
    if (object == nullptr) {
        return std::nullopt;
    }
    const std::unique_ptr<BlockSource> stored = openStored();
    if (stored == nullptr) {
        return std::nullopt;
    }
    Held held;
    held.where = NestedSave::locate(*stored, catalog, ref);
    held.library = catalog.parts[static_cast<std::size_t>(ref.part)].library.name;
    held.object = object->name;
    return held;
}

std::unique_ptr<BlockSource> HeldSaveActions::openStored() const {
    return RelocatedTailSource::meant(session_.openSource(session_.catalog.path),
                                      session_.catalog.header.repairs);
}

// The held save is cut out of the save on display as the views read it: the same source, the
// same repairs. Each level of nesting adds one step on top, down to the file on disk.
ViewSession::SourceOpener HeldSaveActions::heldOpener(const NestedSave& where) const {
    return
        [outer = session_.openSource, path = session_.catalog.path, repairs = session_.catalog.header.repairs,
         where](const std::string&) { return where.open(RelocatedTailSource::meant(outer(path), repairs)); };
}

bool HeldSaveActions::usable(const Held& held, const char* caption) const {
    if (held.where.state == NestedSave::State::Found) {
        return true;
    }
    dialogs_.showMessage(window_, QString::fromLatin1(caption), decode(held.where.message));
    return false;
}

QString HeldSaveActions::decode(const std::string& text) const {
    QStringDecoder decoder =
        DisplayCharset::decoderFor(DisplayCharset::codePageOf(DisplayCharset::kDefault, pcCodePage_()));
    return DisplayCharset::decode(decoder, text);
}

QString HeldSaveActions::outerFile() const {
    const QString shown = QString::fromStdString(session_.catalog.path);
    return QFileInfo(shown).isFile() || outerFile_.isEmpty() ? shown : outerFile_;
}

}  // namespace quelvane
