#include <QAbstractItemModelTester>
#include <QAction>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QTreeView>

#include "shell/CatalogTreeModel.h"
#include "shell/ListingWorker.h"
#include "shell/ObjectBytesWindow.h"
#include "shell/ShowBytesAction.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/ContentFixtures.h"
#include "views/ObjectBytesPages.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

// A data area whose segment counts 200 blocks: 199 bodies of 512 bytes, 6368 lines of 16,
// more than one page of lines.
constexpr std::int32_t kSegmentBlocks = 200;
constexpr std::int64_t kDataBytes = (kSegmentBlocks - 1) * 512;
constexpr int kLines = kDataBytes / 16;
constexpr std::int64_t kBlock = 528;
constexpr std::int64_t kSegmentTypeAt = 34;

class ShowBytesTest : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        configure(37, 1252);
        start();
        BuiltPart part;
        part.objects = {ContentFixtures::dataAreaObject("SETTINGS"),
                        ContentFixtures::programObject("NODATA")};
        SaveFileBuilder builder;
        builder.add(part);
        BuiltDataArea area;
        area.objectName = "SETTINGS";
        area.length = 3;
        area.value = SaveFileBuilder::ebcdic("ABC", 3);
        BuiltSegment segment = ContentFixtures::dataArea(area);
        segment.length = kSegmentBlocks;
        builder.add(segment);
        const SaveFileImage image = builder.build();
        std::vector<std::uint8_t> bytes = image.bytes();
        // The data segment's header names the object's type.
        const std::int64_t header = image.layout.segments.at(1).headerBlock;
        SaveFileBuilder::putU16(bytes, static_cast<std::size_t>(header * kBlock + kSegmentTypeAt), 0x190A);
        const fs::path path = folder_ / "bytes.savf";
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        window_->openFile(QString::fromStdString(path.string()));
        window_->openJob().wait();
    }

    ShowBytesAction& action() { return *window_->findChild<ShowBytesAction*>(); }

    bool offered() {
        emit window_->findChild<QMenu*>(QStringLiteral("PopupMenu1"))->aboutToShow();
        return action().action()->isEnabled();
    }
};

TEST_F(ShowBytesTest, OfferedOnObjectNodesOnly) {
    EXPECT_EQ(action().action()->text(), QStringLiteral("Show bytes"));
    const struct {
        QStringList path;
        bool offered;
    } cases[] = {
        {{"Library(QGPL)"}, false},
        {{"Library(QGPL)", "Part0"}, false},
        {{"Library(QGPL)", "Part0", "SETTINGS"}, true},
        {{"Library(QGPL)", "Part0", "NODATA"}, true},
    };
    for (const auto& c : cases) {
        select(c.path);
        EXPECT_EQ(offered(), c.offered) << qPrintable(c.path.join('/'));
    }
}

// The dump is read a page of lines at a time as rows are drawn, never the whole object.
TEST_F(ShowBytesTest, TheDumpIsPagedFromTheFile) {
    select({"Library(QGPL)", "Part0", "SETTINGS"});
    ASSERT_TRUE(offered());
    action().action()->trigger();
    ObjectBytesWindow* shown = action().lastWindow();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->heading()->text(), QStringLiteral("SETTINGS: %1 bytes of stored data").arg(kDataBytes));
    QAbstractItemModel* model = shown->lines()->model();
    ASSERT_NE(model, nullptr);
    QCoreApplication::processEvents();
    // Drawn: the first page for the rows in sight, and at most one more where the view measures
    // a row elsewhere; never the 6368 lines one by one.
    EXPECT_GE(shown->pages().pagesRead(), 1);
    EXPECT_LE(shown->pages().pagesRead(), 2);
    {
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
        ASSERT_EQ(model->rowCount(), kLines);
        EXPECT_TRUE(model->data(model->index(0, 0)).toString().startsWith(QStringLiteral("00000000  ")));
        const QString last = model->data(model->index(kLines - 1, 0)).toString();
        EXPECT_TRUE(
            last.startsWith(QStringLiteral("%1  ").arg((kLines - 1) * 16, 8, 16, QLatin1Char('0')).toUpper()))
            << qPrintable(last);
        // A row of the page read last costs no read.
        const std::int64_t pages = shown->pages().pagesRead();
        model->data(model->index(kLines - 2, 0));
        EXPECT_EQ(shown->pages().pagesRead(), pages);
        EXPECT_EQ(model->data(model->index(0, 0), Qt::FontRole).value<QFont>().family(),
                  QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    }
    shown->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(action().lastWindow(), nullptr);
}

TEST_F(ShowBytesTest, AnObjectWithoutDataSaysWhy) {
    select({"Library(QGPL)", "Part0", "NODATA"});
    ASSERT_TRUE(offered());
    action().action()->trigger();
    ObjectBytesWindow* shown = action().lastWindow();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->heading()->text(), QStringLiteral("NODATA: its data is not in this save"));
    EXPECT_FALSE(shown->lines()->isVisible());
}

}  // namespace
}  // namespace quelvane::test
