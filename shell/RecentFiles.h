#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QMenu;
class QAction;

namespace quelvane {

class SettingsFile;
class UserDialogs;

// The last save files opened, newest first, kept in the settings file's own "Recent Files"
// section (File1, File2, ...) and shown as numbered items of the File menu before its last
// item. Choosing one opens it again through `open`.
class RecentFiles final : public QObject {
    Q_OBJECT

  public:
    static constexpr int kCapacity = 8;
    static constexpr const char* kSection = "Recent Files";

    RecentFiles(SettingsFile& settings, UserDialogs& dialogs, QMenu* fileMenu,
                std::function<void(const QString&)> open, QObject* parent = nullptr);

    QStringList files() const;
    // Puts `path` first, dropping an older entry of the same path and the oldest past capacity.
    void add(const QString& path);

  private:
    void rebuild();
    void store(const QStringList& files);

    SettingsFile& settings_;
    UserDialogs& dialogs_;
    QMenu* menu_;
    QAction* anchor_;
    std::function<void(const QString&)> open_;
    QList<QAction*> items_;
};

}  // namespace quelvane
