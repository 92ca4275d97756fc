#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

#include "views/NodeContentDisplay.h"
#include "views/ViewSession.h"

class QAction;
class QMenu;
class QWidget;

namespace quelvane {

class ObjectBytesWindow;

// The tree's "Show bytes" command: the selected object's stored data as a hex dump, in a window
// of its own.
class ShowBytesAction final : public QObject {
    Q_OBJECT

  public:
    using Selection = std::function<std::optional<NodePosition>()>;

    static constexpr const char* kCaption = "Show bytes";

    ShowBytesAction(QWidget* window, ViewSession& session, std::function<int()> codePage,
                    Selection selection);

    QAction* action() const { return action_; }
    // Adds the command to `menu`; each time it opens, it is enabled on an object node.
    void addTo(QMenu* menu);
    // The window last opened, while it is open (tests).
    ObjectBytesWindow* lastWindow() const;

  public slots:
    void follow();
    void showBytes();

  private:
    const SavedObject* selectedObject() const;

    QWidget* window_;
    ViewSession& session_;
    std::function<int()> codePage_;
    Selection selection_;
    QAction* action_;
    QPointer<ObjectBytesWindow> last_;
};

}  // namespace quelvane
