#include "shell/CharsetMenus.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QSignalBlocker>
#include <QWidget>

#include "shell/UserDialogs.h"

namespace quelvane {

namespace {

const int kDefaultIndex = *DisplayCharset::indexOf(DisplayCharset::kDefault);

}  // namespace

CharsetMenus::CharsetMenus(QWidget* contentList, QWidget* description, UserDialogs& dialogs,
                           std::function<int()> pcCodePage, QObject* parent)
    : QObject(parent),
      list_(contentList),
      description_(description),
      dialogs_(dialogs),
      pcCodePage_(std::move(pcCodePage)) {
    checks_[kMainMenu][static_cast<std::size_t>(kDefaultIndex)] = true;
    checks_[kPopupMenu][static_cast<std::size_t>(kDefaultIndex)] = true;
}

QMenu* CharsetMenus::buildMenu(Menu which, QWidget* parent) {
    auto* menu = new QMenu(QStringLiteral("Character Set"), parent);
    // Optional exclusivity draws radio items yet lets an item lose its check with none checked,
    // which the toggling entries need.
    auto* group = new QActionGroup(menu);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const auto& entries = DisplayCharset::entries();
    for (int i = 0; i < DisplayCharset::kEntryCount; ++i) {
        auto* action = menu->addAction(QString::fromLatin1(entries[static_cast<std::size_t>(i)].caption));
        action->setCheckable(true);
        group->addAction(action);
        actions_[which][static_cast<std::size_t>(i)] = action;
        connect(action, &QAction::triggered, this, [this, which, i] { clickEntry(which, i); });
    }
    showChecks();
    return menu;
}

void CharsetMenus::clickEntry(Menu which, int index) {
    const auto& entry = DisplayCharset::entries()[static_cast<std::size_t>(index)];
    if (entry.togglesOwnCheck) {
        const bool now = !checks_[which][static_cast<std::size_t>(index)];
        if (now) {
            checkOnly(which, index);
        } else {
            checks_[which][static_cast<std::size_t>(index)] = false;
        }
    }
    runCommand(index);
    showChecks();
}

void CharsetMenus::runCommand(int index) {
    const auto& entry = DisplayCharset::entries()[static_cast<std::size_t>(index)];
    listCharset_ = entry.value;
    if (entry.changesDescription) {
        descriptionCharset_ = entry.value;
    }
    checkOnly(kPopupMenu, index);
    if (entry.checks == DisplayCharset::Checks::BothMenus) {
        checkOnly(kMainMenu, index);
    }
    emit changed();
}

void CharsetMenus::ApplyCodePageCharset(int pcCodePage) {
    const auto value = DisplayCharset::forPcCodePage(pcCodePage);
    if (!value) {
        return;
    }
    listCharset_ = *value;
    descriptionCharset_ = *value;
    const int index = *DisplayCharset::indexOf(*value);
    checkOnly(kMainMenu, index);
    checkOnly(kPopupMenu, index);
    showChecks();
    emit changed();
}

void CharsetMenus::chooseFont() {
    const int remembered = listCharset_;
    if (const auto font = dialogs_.chooseFont(list_->window(), list_->font())) {
        list_->setFont(*font);
        description_->setFont(*font);
    }
    listCharset_ = remembered;
    descriptionCharset_ = remembered;
    emit changed();
}

int CharsetMenus::contentListCodePage() const {
    return DisplayCharset::codePageOf(listCharset_, pcCodePage_());
}

int CharsetMenus::descriptionCodePage() const {
    return DisplayCharset::codePageOf(descriptionCharset_, pcCodePage_());
}

void CharsetMenus::checkOnly(Menu which, int index) {
    auto& checks = checks_[which];
    checks.fill(false);
    checks[static_cast<std::size_t>(index)] = true;
}

void CharsetMenus::showChecks() {
    for (int m = 0; m < 2; ++m) {
        for (int i = 0; i < DisplayCharset::kEntryCount; ++i) {
            QAction* action = actions_[static_cast<std::size_t>(m)][static_cast<std::size_t>(i)];
            if (action != nullptr) {
                const QSignalBlocker block(action);
                action->setChecked(checks_[static_cast<std::size_t>(m)][static_cast<std::size_t>(i)]);
            }
        }
    }
}

}  // namespace quelvane
