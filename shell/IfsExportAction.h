#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <string>

class QMenu;
class QWidget;

namespace quelvane {

class UserDialogs;
struct ViewSession;

// "Export..." on a directory or stream file of a save of the integrated file system: asks for a
// folder, writes the node there under its own name byte for byte (a directory with everything
// below it) behind a progress dialog that can stop it, and ends with a message saying what was
// written and what was not. Files already where the export would write are named first, and
// replaced only when the user says so. On a library save the command is the library export.
class IfsExportAction final : public QObject {
    Q_OBJECT

  public:
    // The IFS path of the selected tree node; empty when none.
    using Selection = std::function<std::string()>;
    using FolderChooser = std::function<QString(QWidget* parent, const QString& caption)>;
    // Asks whether to replace the files `text` names; true for yes.
    using ReplaceQuestion = std::function<bool(QWidget* parent, const QString& text)>;

    IfsExportAction(QWidget* window, ViewSession& views, UserDialogs& dialogs, Selection selection,
                    std::function<void()> libraryExport);

    // Replaces the folder dialog (tests).
    void setFolderChooser(FolderChooser chooser) { chooseFolder_ = std::move(chooser); }
    // Replaces the question before files are replaced (tests).
    void setReplaceQuestion(ReplaceQuestion ask) { askReplace_ = std::move(ask); }
    // Adds the command to the tree's pop-up menu, shown there only for a save of the integrated
    // file system.
    void addTo(QMenu* popup);

  public slots:
    void exportSelected();

  private:
    void exportPath(const std::string& path);

    QWidget* window_;
    ViewSession& views_;
    UserDialogs& dialogs_;
    Selection selection_;
    std::function<void()> libraryExport_;
    FolderChooser chooseFolder_;
    ReplaceQuestion askReplace_;
};

}  // namespace quelvane
