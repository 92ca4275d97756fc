#include "shell/CompareAction.h"

#include <QFileInfo>

#include <exception>
#include <memory>

#include "compare/SaveComparer.h"
#include "conversion/ConversionLayer.h"
#include "savefile/FailureReason.h"
#include "savefile/FileBlockSource.h"
#include "shell/CompareWindow.h"
#include "shell/MainWindow.h"
#include "shell/UserDialogs.h"
#include "views/OpenedSave.h"

namespace quelvane {

namespace {

const QString kCaption = QStringLiteral("Compare with...");

std::string fileName(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).fileName().toStdString();
}

ComparedSave comparedSave(const Catalog& catalog, std::function<std::unique_ptr<BlockSource>()> stored,
                          ConversionLayer& conversion, const ParseReport* report) {
    ComparedSave save;
    save.catalog = &catalog;
    save.stored = std::move(stored);
    save.converter = &conversion;
    save.hostPage = conversion.EbcdicCodePage;
    save.pcPage = conversion.PcCodePage;
    if (report != nullptr && !report->complete()) {
        save.incomplete = report->text();
    }
    return save;
}

}  // namespace

CompareAction::CompareAction(MainWindow& window, UserDialogs& dialogs)
    : QObject(&window), window_(window), dialogs_(dialogs) {}

void CompareAction::compareWith() {
    if (window_.catalog().parts.empty() && !window_.catalog().ifs) {
        dialogs_.showMessage(&window_, kCaption,
                             QStringLiteral("Open a save file first, then compare it with another."));
        return;
    }
    const QString path = dialogs_.openFileName(
        &window_, kCaption,
        {QStringLiteral("Save Files (*.savf *.sav *.SAVF *.SAV)"), QStringLiteral("*.* (*)")});
    if (!path.isEmpty()) {
        compareWithFile(path);
    }
}

QWidget* CompareAction::compareWithFile(const QString& path) {
    const std::string other = path.toStdString();
    OpenedSave after;
    SilentNotifier notifier;
    const OpenedSave::Outcome outcome = after.open(
        [other] { return std::make_unique<FileBlockSource>(other); }, other, window_.conversion(), notifier);
    if (outcome != OpenedSave::Outcome::Opened) {
        const std::string why = after.report().text();
        dialogs_.showMessage(
            &window_, kCaption,
            QStringLiteral("%1 cannot be read as a save file%2")
                .arg(path, why.empty() ? QString() : QStringLiteral(": ") + QString::fromStdString(why)));
        return nullptr;
    }
    ViewSession& session = window_.session();
    const ComparedSave before = comparedSave(
        window_.catalog(), [&session] { return session.openSource(session.catalog.path); },
        window_.conversion(), nullptr);
    const ComparedSave later = comparedSave(
        after.catalog(), [&after] { return after.openStored(); }, window_.conversion(), &after.report());
    try {
        SaveComparison comparison =
            SaveComparer(before, later, {}).run(fileName(window_.catalog().path), fileName(other));
        auto* shown = new CompareWindow(std::move(comparison), &window_);
        shown->setWindowFlag(Qt::Window);
        shown->setAttribute(Qt::WA_DeleteOnClose);
        shown->show();
        return shown;
    } catch (const std::exception& failure) {
        dialogs_.showMessage(
            &window_, kCaption,
            QStringLiteral("The comparison stopped: ") + QString::fromStdString(failureReason(failure)));
        return nullptr;
    }
}

}  // namespace quelvane
