#pragma once

#include <QObject>

#include <functional>
#include <optional>

#include "views/MemoryContentList.h"
#include "views/NodeContentDisplay.h"
#include "views/ViewSession.h"

namespace quelvane {

class HeldSaveActions;
class ShowBytesAction;

// What an object's pane offers beyond what the views show: a save-file object's pane names
// "Open saved save file" and lists what the held save holds; an object whose contents the
// program does not describe says what it is and offers "Show bytes". A double-click on the pane
// (or on the object's node) does what it offers.
class ObjectPane final : public QObject {
    Q_OBJECT

  public:
    using Selection = std::function<std::optional<NodePosition>()>;

    ObjectPane(QObject* parent, ViewSession& session, MemoryContentList& list, HeldSaveActions& held,
               ShowBytesAction& bytes, Selection selection);

    // Run after the selected node's content was shown: adds the pane's rows. True when it added
    // any, which are UTF-8.
    bool follow();
    // Does what the pane on display offers (with `heldOnly`, only an open of a held save); false
    // when it did nothing.
    bool activate(bool heldOnly = false);

  private:
    enum class Offer { Nothing, OpenHeld, ShowBytes };

    void addRows(const std::vector<std::string>& lines);

    ViewSession& session_;
    MemoryContentList& list_;
    HeldSaveActions& held_;
    ShowBytesAction& bytes_;
    Selection selection_;
    Offer offer_ = Offer::Nothing;
};

}  // namespace quelvane
