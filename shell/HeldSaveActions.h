#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "savefile/BlockSource.h"
#include "savefile/NestedSave.h"
#include "views/NodeContentDisplay.h"
#include "views/ViewSession.h"

class QAction;
class QMenu;
class QWidget;

namespace quelvane {

class UserDialogs;

// The commands on a save-file object, whose data is a whole save of its own: "Open saved save
// file" shows that save in a window of its own, and "Export as save file..." writes it as a
// standalone save file. The held save is read anew for every display through the chain of saves
// around it, down from the file on disk, like any save on display; a held save may hold save
// files again.
class HeldSaveActions final : public QObject {
    Q_OBJECT

  public:
    using Selection = std::function<std::optional<NodePosition>()>;
    // Opens a window showing the save `opener` reads, named `name`; returns that window.
    using WindowOpener = std::function<QWidget*(const QString& name, ViewSession::SourceOpener opener)>;
    // Asks where to write, starting from `suggested` (a full path); empty when cancelled.
    using TargetChooser = std::function<QString(QWidget* parent, const QString& suggested)>;

    static constexpr const char* kOpenCaption = "Open saved save file";
    static constexpr const char* kExportCaption = "Export as save file";

    HeldSaveActions(QWidget* window, ViewSession& session, UserDialogs& dialogs,
                    std::function<std::int32_t()> pcCodePage, Selection selection, WindowOpener openWindow);

    QAction* openAction() const { return open_; }
    QAction* exportAction() const { return export_; }
    // Adds both commands to `menu`; each time it opens, they are enabled on a save-file object.
    void addTo(QMenu* menu);
    // Replaces the save dialog (tests).
    void setTargetChooser(TargetChooser chooser) { chooseTarget_ = std::move(chooser); }
    // What the selected save-file object holds, as UTF-8 lines: the held save's details and
    // objects (at most kListedObjects of them), or why it cannot be read.
    std::vector<std::string> heldContents() const;
    static constexpr std::size_t kListedObjects = 500;
    // The file on disk a held save on display was read from; exports are suggested beside it.
    void setOuterFile(const QString& path) { outerFile_ = path; }

  public slots:
    // Enables the commands when the selected node is a save-file object.
    void follow();
    void openHeld();
    void exportHeld();

  private:
    struct Held {
        NestedSave where;
        std::string library;
        std::string object;
    };

    // The selected save-file object and where its save lies; nothing when no object is selected.
    std::optional<Held> selectedHeld() const;
    // The save on display as stored (repaired, not expanded): what held saves are located in.
    std::unique_ptr<BlockSource> openStored() const;
    ViewSession::SourceOpener heldOpener(const NestedSave& where) const;
    // False after telling the user why the held save cannot be had.
    bool usable(const Held& held, const char* caption) const;
    QString decode(const std::string& text) const;
    QString outerFile() const;

    QWidget* window_;
    ViewSession& session_;
    UserDialogs& dialogs_;
    std::function<std::int32_t()> pcCodePage_;
    Selection selection_;
    WindowOpener openWindow_;
    TargetChooser chooseTarget_;
    QString outerFile_;
    QAction* open_;
    QAction* export_;
};

}  // namespace quelvane
