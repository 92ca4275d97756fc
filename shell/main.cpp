#include <QApplication>

#include <filesystem>

#include "conversion/SettingsFile.h"
#include "shell/AboutDialog.h"
#include "shell/FtpDialog.h"
#include "shell/MainWindow.h"
#include "shell/OptionsDialog.h"
#include "shell/QtUserDialogs.h"
#include "shell/QuelvaneApplication.h"

int main(int argc, char** argv) {
    quelvane::QuelvaneApplication application(argc, argv);
    quelvane::QtUserDialogs dialogs;
    application.setDialogs(&dialogs);

    const std::filesystem::path program = QCoreApplication::applicationFilePath().toStdString();
    auto settings = quelvane::SettingsFile::locate(program, quelvane::SettingsFile::userConfigDirectory());

    quelvane::MainWindow window(dialogs, settings, QCoreApplication::applicationDirPath().toStdString());
    quelvane::AboutDialog about(dialogs, &window);
    quelvane::OptionsDialog options(
        settings, window.conversion(), dialogs,
        [&window](int pcCodePage) { window.ApplyCodePageCharset(pcCodePage); }, &window);
    quelvane::FtpDialog ftp(&window);
    window.attachForms(&about, &options, &ftp);
    window.show();
    return QApplication::exec();
}
