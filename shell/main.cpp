#include <QApplication>

#include <filesystem>

#include "conversion/SettingsFile.h"
#include "shell/QtUserDialogs.h"
#include "shell/QuelvaneApplication.h"
#include "shell/TForm1.h"
#include "shell/TForm2.h"
#include "shell/TForm4.h"
#include "shell/TForm6.h"

int main(int argc, char** argv) {
    quelvane::QuelvaneApplication application(argc, argv);
    quelvane::QtUserDialogs dialogs;
    application.setDialogs(&dialogs);

    const std::filesystem::path program = QCoreApplication::applicationFilePath().toStdString();
    auto settings = quelvane::SettingsFile::locate(program, quelvane::SettingsFile::userConfigDirectory());

    quelvane::TForm1 window(dialogs, settings, QCoreApplication::applicationDirPath().toStdString());
    quelvane::TForm2 about(dialogs, &window);
    quelvane::TForm4 options(
        settings, window.conversion(), dialogs,
        [&window](int pcCodePage) { window.ApplyCodePageCharset(pcCodePage); }, &window);
    quelvane::TForm6 ftp(&window);
    window.attachForms(&about, &options, &ftp);
    window.show();
    return QApplication::exec();
}
