#pragma once

#include <QFrame>
#include <QStringList>

#include <cstdint>
#include <functional>

#include "views/OpenedSave.h"

class QLabel;
class QPushButton;

namespace quelvane {

// The bar above the records view that keeps in sight what the save on display is not quite as
// it looks (views/SaveWarnings): hidden while there is nothing to say. Unlike the status bar's
// messages, a menu hovered over does not wipe it.
class InfoBar final : public QFrame {
    Q_OBJECT

  public:
    // `showOptions` is run by the bar's "Options..." button, offered when a line names them.
    InfoBar(QWidget* parent, std::function<void()> showOptions);

    // `offerOptions`: whether the "Options..." button shows beside the lines.
    void setLines(const QStringList& lines, bool offerOptions);
    // The lines SaveWarnings finds for `save`, text decoded by stored CCSID or by the pair of
    // host page `hostPage`.
    void follow(const OpenedSave& save, bool byStoredCcsid, std::int32_t hostPage);
    // A panel of this bar above `content`, which it takes in.
    QWidget* over(QWidget* content);
    QStringList lines() const { return lines_; }

  private:
    QStringList lines_;
    QLabel* text_;
    QPushButton* options_;
};

}  // namespace quelvane
