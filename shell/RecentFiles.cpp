#include "shell/RecentFiles.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include "settings/SettingsFile.h"
#include "shell/UserDialogs.h"

namespace quelvane {

namespace {

std::string keyOf(int number) {
    return "File" + std::to_string(number);
}

}  // namespace

RecentFiles::RecentFiles(SettingsFile& settings, UserDialogs& dialogs, QMenu* fileMenu,
                         std::function<void(const QString&)> open, QObject* parent)
    : QObject(parent), settings_(settings), dialogs_(dialogs), menu_(fileMenu), open_(std::move(open)) {
    const QList<QAction*> actions = menu_->actions();
    anchor_ = menu_->insertSeparator(actions.isEmpty() ? nullptr : actions.last());
    anchor_->setObjectName(QStringLiteral("RecentSeparator"));
    rebuild();
}

QStringList RecentFiles::files() const {
    QStringList files;
    for (int number = 1; number <= kCapacity; ++number) {
        const std::string path = settings_.readString(kSection, keyOf(number), "");
        if (!path.empty()) {
            files << QString::fromStdString(path);
        }
    }
    return files;
}

void RecentFiles::add(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList list = files();
    list.removeAll(absolute);
    list.prepend(absolute);
    while (list.size() > kCapacity) {
        list.removeLast();
    }
    store(list);
    rebuild();
}

void RecentFiles::store(const QStringList& list) {
    try {
        for (int number = 1; number <= kCapacity; ++number) {
            const QString path = number <= list.size() ? list[number - 1] : QString();
            settings_.writeString(kSection, keyOf(number), path.toStdString());
        }
    } catch (const SettingsWriteFailure& failure) {
        dialogs_.showMessage(nullptr, QStringLiteral("Quelvane"), QString::fromStdString(failure.what()));
    }
}

void RecentFiles::rebuild() {
    for (QAction* item : items_) {
        menu_->removeAction(item);
        item->deleteLater();
    }
    items_.clear();
    const QStringList list = files();
    int number = 1;
    for (const QString& path : list) {
        // "&1 name" gives each item its number as accelerator; the full path is the hint.
        auto* item = new QAction(QStringLiteral("&%1 %2").arg(number).arg(QFileInfo(path).fileName()), menu_);
        item->setObjectName(QStringLiteral("RecentFile%1").arg(number));
        item->setToolTip(QDir::toNativeSeparators(path));
        item->setStatusTip(item->toolTip());
        connect(item, &QAction::triggered, this, [this, path] { open_(path); });
        menu_->insertAction(anchor_, item);
        items_ << item;
        ++number;
    }
    menu_->setToolTipsVisible(true);
    anchor_->setVisible(!items_.isEmpty());
}

}  // namespace quelvane
