#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QToolButton>
#include <QTreeView>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <sstream>

#include "settings/SettingsFile.h"
#include "shell/AboutDialog.h"
#include "shell/CatalogTreeModel.h"
#include "shell/FtpDialog.h"
#include "shell/ListingWorker.h"
#include "shell/MainWindow.h"
#include "shell/OpenSaveJob.h"
#include "shell/OptionsDialog.h"
#include "tests/shell/ScriptedDialogs.h"

namespace quelvane::test {

// The program's windows as main() builds them, over a settings file in a fresh folder and
// dialogs answered by the test.
class ShellFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("quelvane-shell-" +
                   std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        settings_ = std::make_unique<SettingsFile>(settingsPath());
    }

    void TearDown() override {
        ftp_.reset();
        options_.reset();
        about_.reset();
        window_.reset();
        std::filesystem::remove_all(folder_);
    }

    // Creates the windows; call after writing any settings the dialog should start with.
    void start() {
        window_ = std::make_unique<MainWindow>(dialogs_, *settings_, QUELVANE_MODULE_DIR);
        about_ = std::make_unique<AboutDialog>(dialogs_, window_.get());
        options_ = std::make_unique<OptionsDialog>(
            *settings_, window_->conversion(), dialogs_,
            [this](int pcCodePage) { window_->ApplyCodePageCharset(pcCodePage); }, window_.get());
        ftp_ = std::make_unique<FtpDialog>(window_.get());
        window_->attachForms(about_.get(), options_.get(), ftp_.get());
    }

    void configure(int ebcdic, int pc) {
        settings_->writeInteger("EBCDIC To ASCII", "EBCDIC", ebcdic);
        settings_->writeInteger("EBCDIC To ASCII", "ASCII", pc);
    }

    std::filesystem::path settingsPath() const { return folder_ / "quelvane.ini"; }

    std::string settingsText() const {
        std::ifstream in(settingsPath(), std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    // Shows the node reached by following caption prefixes from the root, its listing done.
    void select(const QStringList& path) { selectIn(*window_, path); }

    // The same in `window`, which may be a window of a held save.
    static void selectIn(MainWindow& window, const QStringList& path) {
        const CatalogTreeModel& model = window.treeModel();
        QModelIndex at;
        for (const QString& prefix : path) {
            const QModelIndex parent = at;
            at = {};
            for (int row = 0; row < model.rowCount(parent) && !at.isValid(); ++row) {
                if (model.data(model.index(row, 0, parent)).toString().startsWith(prefix)) {
                    at = model.index(row, 0, parent);
                }
            }
            ASSERT_TRUE(at.isValid()) << qPrintable(prefix);
        }
        showIn(window, at);
    }

    // Shows the node reached by following row numbers from the root, its listing done.
    void selectRows(std::initializer_list<int> rows) {
        QModelIndex at;
        for (int row : rows) {
            at = window_->treeModel().index(row, 0, at);
        }
        showIn(*window_, at);
    }

    // Opens `path` through the Open command's file dialog, the open done.
    void openThroughDialog(const std::filesystem::path& path) {
        dialogs_.files.push_back(QString::fromStdString(path.string()));
        window_->openSaveFile();
        window_->openJob().wait();
    }

    static void showIn(MainWindow& window, const QModelIndex& at) {
        window.findChild<QTreeView*>(QStringLiteral("TreeView1"))->setCurrentIndex(at);
        window.showSelectedNode();
        window.findChild<ListingWorker*>()->wait();
    }

    template <typename T>
    T* find(QObject* in, const char* name) const {
        T* child = in->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    QToolButton* button(int number) const {
        return window_->findChild<QToolButton*>(QStringLiteral("ToolButton%1").arg(number));
    }

    QString label(const char* name) const {
        return window_->findChild<QLabel*>(QString::fromLatin1(name))->text();
    }

    std::filesystem::path folder_;
    std::unique_ptr<SettingsFile> settings_;
    ScriptedDialogs dialogs_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<AboutDialog> about_;
    std::unique_ptr<OptionsDialog> options_;
    std::unique_ptr<FtpDialog> ftp_;
};

}  // namespace quelvane::test
