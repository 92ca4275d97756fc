// Lists a member of 1 000 000 records of 120 bytes (or as many as the first argument says) in the
// desktop program's window, off screen, and reports: how long the first rows take to appear,
// the longest time the window's event loop went without turning during the listing, the total
// time, and the peak memory the listing added. Not a test: run it by hand on a quiet machine.
//
//     QT_QPA_PLATFORM=offscreen bench_window_listing [RECORDS]

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeView>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "bench/BenchmarkMember.h"
#include "settings/SettingsFile.h"
#include "shell/CatalogTreeModel.h"
#include "shell/ContentListModel.h"
#include "shell/ListingWorker.h"
#include "shell/MainWindow.h"
#include "shell/UserDialogs.h"
#include "tests/support/SaveFileBuilder.h"

namespace {

using namespace quelvane;
using namespace quelvane::test;
using namespace quelvane::bench;

class PrintedDialogs final : public UserDialogs {
  public:
    QString openFileName(QWidget*, const QString&, const QStringList&) override { return {}; }
    std::optional<QFont> chooseFont(QWidget*, const QFont&) override { return std::nullopt; }
    void showMessage(QWidget*, const QString&, const QString& text) override {
        std::printf("message: %s\n", text.toUtf8().constData());
    }
    bool openUrl(const QUrl&) override { return false; }
};

std::filesystem::path buildMember(std::uint32_t records) {
    BuiltPart part;
    BuiltObject file;
    file.name = "BIGFILE";
    file.attribute = "PF";
    file.fields = kFields;
    file.members = {{"BIGMBR", "", "Many records", records}};
    part.objects = {file};
    BuiltSegment member;
    member.name = "BIGFILE   BIGMBR";
    member.length = static_cast<std::int32_t>(16 + streamBlocks(records));
    SaveFileBuilder builder;
    builder.add(part);
    builder.add(member);
    SaveFileImage image = builder.build();
    std::filesystem::path path = std::filesystem::temp_directory_path() / "quelvane-window-listing.savf";
    image.writeTo(path.string(), true);
    writeStream(path.string(), image.layout.segments.back().headerBlock + 16, records);
    return path;
}

// The CPU time the calling thread has used: a stall that took little of it was the machine
// running other work, not the window.
qint64 threadCpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<qint64>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const std::uint32_t records =
        argc > 1 ? static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 1000000;
    QApplication application(argc, argv);
    const std::filesystem::path path = buildMember(records);
    const std::filesystem::path settingsPath =
        std::filesystem::temp_directory_path() / "quelvane-window-listing.ini";
    std::filesystem::remove(settingsPath);
    SettingsFile settings(settingsPath);
    settings.writeInteger("EBCDIC To ASCII", "EBCDIC", 37);
    settings.writeInteger("EBCDIC To ASCII", "ASCII", 1252);

    PrintedDialogs dialogs;
    MainWindow window(dialogs, settings, QCoreApplication::applicationDirPath().toStdString());
    window.show();
    window.openFile(QString::fromStdString(path.string()));
    auto* tree = window.findChild<QTreeView*>(QStringLiteral("TreeView1"));
    // The save is opened off the window's thread: its tree comes a moment later.
    QElapsedTimer opening;
    opening.start();
    while (window.treeModel().rowCount() == 0 && opening.elapsed() < 30000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    QModelIndex member = window.treeModel().index(0, 0);
    // Down the first children to the member, whatever levels the tree shows above it.
    while (window.treeModel().rowCount(member) > 0) {
        member = window.treeModel().index(0, 0, member);
    }
    tree->setCurrentIndex(member);
    QApplication::processEvents();
    auto* listing = window.findChild<ListingWorker*>();

    const double before = peakMegabytes();
    QElapsedTimer clock;
    clock.start();
    window.showSelectedNode();
    const qint64 start = clock.elapsed();
    qint64 longest = start;
    qint64 longestCpu = start;
    qint64 firstRows = -1;
    qint64 last = clock.elapsed();
    qint64 lastCpu = threadCpuMilliseconds();
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        const qint64 nowCpu = threadCpuMilliseconds();
        if (now - last > 20) {
            std::printf("stall of %lld ms (%lld ms on the window's thread) at %lld ms, %d rows\n",
                        static_cast<long long>(now - last), static_cast<long long>(nowCpu - lastCpu),
                        static_cast<long long>(now), window.listModel().rowCount());
        }
        longest = std::max(longest, now - last);
        longestCpu = std::max(longestCpu, nowCpu - lastCpu);
        last = now;
        lastCpu = nowCpu;
        if (firstRows < 0 && window.listModel().rowCount() > 0) {
            firstRows = now;
        }
        if (!listing->running()) {
            QCoreApplication::quit();
        }
    });
    tick.start();
    last = clock.elapsed();
    lastCpu = threadCpuMilliseconds();
    QApplication::exec();
    const qint64 total = clock.elapsed();
    const double after = peakMegabytes();
    std::filesystem::remove(path);
    std::filesystem::remove(settingsPath);

    std::printf("records: %u, rows listed: %d\n", records, window.listModel().rowCount());
    std::printf("first rows after: %lld ms\n", static_cast<long long>(firstRows));
    std::printf("the click itself: %lld ms\n", static_cast<long long>(start));
    std::printf("longest event-loop stall: %lld ms\n", static_cast<long long>(longest));
    std::printf("longest stretch of work on the window's thread between turns: %lld ms\n",
                static_cast<long long>(longestCpu));
    std::printf("listing took: %lld ms\n", static_cast<long long>(total));
    std::printf("peak memory: %.1f MB before the listing, %.1f MB after (%.1f MB added)\n", before, after,
                after - before);
    return 0;
}
