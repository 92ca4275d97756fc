#include "shell/FtpDialog.h"

#include <QDir>
#include <QFrame>
#include <QHBoxLayout>
#include <QListView>
#include <QListWidget>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace quelvane {

namespace {

constexpr int kWidth = 591;
constexpr int kHeight = 418;

}  // namespace

FtpDialog::FtpDialog(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("TForm6"));
    setWindowTitle(QStringLiteral("FTP"));
    setWindowFlag(Qt::Window);
    resize(kWidth, kHeight);

    auto* band = addToolBar(QStringLiteral("CoolBar1"));
    band->setMovable(false);
    band->addAction(QStringLiteral("ToolButton1"));
    band->addAction(QStringLiteral("ToolButton2"));

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* panel = new QFrame(central);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setMinimumHeight(24);
    layout->addWidget(panel);

    auto* split = new QSplitter(central);
    // A directory list as the form shows it: the folders of the current directory.
    auto* directories = new QListWidget(split);
    directories->setObjectName(QStringLiteral("DirectoryListBox1"));
    directories->addItems(QDir::current().entryList(QDir::AllDirs | QDir::NoDot, QDir::Name));
    (new QListWidget(split))->setObjectName(QStringLiteral("ListBox1"));
    (new QTreeWidget(split))->setObjectName(QStringLiteral("TreeView1"));
    (new QListView(split))->setObjectName(QStringLiteral("ListView1"));
    layout->addWidget(split, 1);
    setCentralWidget(central);
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
}

}  // namespace quelvane
