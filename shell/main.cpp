#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <filesystem>

#include "conversion/ConversionLayer.h"
#include "savefile/VersionText.h"
#include "settings/SettingsFile.h"
#include "shell/AboutDialog.h"
#include "shell/FtpDialog.h"
#include "shell/MainWindow.h"
#include "shell/OptionsDialog.h"
#include "shell/QtUserDialogs.h"
#include "shell/QuelvaneApplication.h"

int main(int argc, char** argv) {
    quelvane::QuelvaneApplication application(argc, argv);
    QCoreApplication::setApplicationVersion(QString::fromStdString(quelvane::VersionText()));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Viewer for IBM i (AS/400) save files"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption quitAfterStart(
        QStringLiteral("quit-after-start"),
        QStringLiteral("Start, bind the conversion modules and exit (0 when they were found)."));
    parser.addOption(quitAfterStart);
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The save file to open."),
                                 QStringLiteral("[FILE]"));
    parser.process(application);

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
    if (const QStringList files = parser.positionalArguments(); !files.isEmpty()) {
        window.openFile(files.first());
    }
    if (parser.isSet(quitAfterStart)) {
        QTimer::singleShot(0, &application, [&window] {
            const bool bound = window.conversion().nlsBound() && window.conversion().trnsdtBound();
            QCoreApplication::exit(bound ? 0 : 1);
        });
    }
    return QApplication::exec();
}
