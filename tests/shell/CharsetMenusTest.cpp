#include <QTreeView>

#include "shell/CharsetMenus.h"
#include "tests/shell/ShellFixture.h"

namespace quelvane::test {
namespace {

using Menu = CharsetMenus::Menu;

class CharsetMenusTest : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        start();
    }

    CharsetMenus& menus() { return window_->charsets(); }

    int index(const char* caption) {
        const auto& entries = DisplayCharset::entries();
        for (int i = 0; i < DisplayCharset::kEntryCount; ++i) {
            if (QString::fromLatin1(entries[static_cast<std::size_t>(i)].caption) ==
                QString::fromLatin1(caption)) {
                return i;
            }
        }
        ADD_FAILURE() << caption;
        return 0;
    }

    void click(Menu menu, const char* caption) { menus().action(menu, index(caption))->trigger(); }

    // The checked captions of one menu as the user sees them, "" for none.
    QString checked(Menu menu) {
        QStringList on;
        for (int i = 0; i < DisplayCharset::kEntryCount; ++i) {
            EXPECT_EQ(menus().action(menu, i)->isChecked(), menus().isChecked(menu, i));
            if (menus().action(menu, i)->isChecked()) {
                on << QString::fromLatin1(DisplayCharset::entries()[static_cast<std::size_t>(i)].caption);
            }
        }
        return on.join(QLatin1Char('|'));
    }
};

TEST_F(CharsetMenusTest, StartsWithDefaultCheckedWhileTheListCarriesAnsi) {
    EXPECT_EQ(checked(CharsetMenus::kMainMenu), QStringLiteral("DEFAULT"));
    EXPECT_EQ(checked(CharsetMenus::kPopupMenu), QStringLiteral("DEFAULT"));
    EXPECT_EQ(menus().contentListCharset(), 0);
    EXPECT_EQ(menus().descriptionCharset(), 1);
}

TEST_F(CharsetMenusTest, EntriesSetTheFontsAndCheckMarksTheirOwnWay) {
    struct Step {
        Menu menu;
        const char* caption;
        int list;
        int description;
        const char* mainChecks;
        const char* popupChecks;
    } steps[] = {
        // Simple Chinese leaves the description line alone.
        {CharsetMenus::kMainMenu, "Simple Chinese", 134, 1, "Simple Chinese", "Simple Chinese"},
        {CharsetMenus::kPopupMenu, "Russian", 204, 204, "Russian", "Russian"},
        // ANSI from the popup leaves the View menu's mark where it was.
        {CharsetMenus::kPopupMenu, "ANSI", 0, 0, "Russian", "ANSI"},
        // From the View menu the first four toggle their own mark, then set the popup's.
        {CharsetMenus::kMainMenu, "Symbol", 2, 2, "Symbol", "Symbol"},
        {CharsetMenus::kMainMenu, "Symbol", 2, 2, "", "Symbol"},
        {CharsetMenus::kMainMenu, "MAC", 77, 77, "MAC", "MAC"},
        {CharsetMenus::kMainMenu, "DEFAULT", 1, 1, "DEFAULT", "DEFAULT"},
        {CharsetMenus::kMainMenu, "DEFAULT", 1, 1, "DEFAULT", "DEFAULT"},
        {CharsetMenus::kMainMenu, "ANSI", 0, 0, "ANSI", "ANSI"},
        {CharsetMenus::kMainMenu, "OEM", 255, 255, "OEM", "OEM"},
    };
    for (const auto& s : steps) {
        click(s.menu, s.caption);
        SCOPED_TRACE(s.caption);
        EXPECT_EQ(menus().contentListCharset(), s.list);
        EXPECT_EQ(menus().descriptionCharset(), s.description);
        EXPECT_EQ(checked(CharsetMenus::kMainMenu), QString::fromLatin1(s.mainChecks));
        EXPECT_EQ(checked(CharsetMenus::kPopupMenu), QString::fromLatin1(s.popupChecks));
    }
}

TEST_F(CharsetMenusTest, AutomaticChoiceFollowsThePcCodePageOrLeavesAllAlone) {
    click(CharsetMenus::kMainMenu, "Simple Chinese");
    menus().ApplyCodePageCharset(1252);
    menus().ApplyCodePageCharset(850);
    EXPECT_EQ(menus().descriptionCharset(), 1);
    EXPECT_EQ(checked(CharsetMenus::kMainMenu), QStringLiteral("Simple Chinese"));

    menus().ApplyCodePageCharset(936);
    EXPECT_EQ(menus().contentListCharset(), 134);
    EXPECT_EQ(menus().descriptionCharset(), 134);

    menus().ApplyCodePageCharset(866);
    EXPECT_EQ(checked(CharsetMenus::kMainMenu), QStringLiteral("Russian"));
    EXPECT_EQ(checked(CharsetMenus::kPopupMenu), QStringLiteral("Russian"));
    EXPECT_EQ(menus().contentListCodePage(), 1251);

    menus().ApplyCodePageCharset(0);
    EXPECT_EQ(checked(CharsetMenus::kPopupMenu), QStringLiteral("DEFAULT"));
    EXPECT_EQ(menus().contentListCodePage(), 1252);
}

TEST_F(CharsetMenusTest, TheFontDialogKeepsTheCharacterSetInForceBeforeIt) {
    auto* list = find<QAbstractItemView>(window_.get(), "ListView1");
    click(CharsetMenus::kMainMenu, "Simple Chinese");
    EXPECT_EQ(menus().descriptionCharset(), 1);

    // Cancelled: the description line still takes the list's character set.
    dialogs_.font.reset();
    find<QAction>(window_.get(), "Font1")->trigger();
    EXPECT_EQ(dialogs_.fontInitial, list->font());
    EXPECT_EQ(menus().descriptionCharset(), 134);

    QFont chosen(QStringLiteral("Courier New"));
    chosen.setPixelSize(17);
    chosen.setBold(true);
    dialogs_.font = chosen;
    find<QAction>(window_.get(), "Font2")->trigger();
    EXPECT_EQ(list->font(), chosen);
    EXPECT_EQ(find<QLabel>(window_.get(), "Label2")->font(), chosen);
    EXPECT_EQ(menus().contentListCharset(), 134);
}

TEST(DisplayCharsetTest, ControlsDecodeWithTheirCharacterSetsCodePage) {
    struct Case {
        int charset;
        int pcCodePage;
        int codePage;
        const char* bytes;
        const char* shown;
    } cases[] = {
        {0, 437, 1252, "\xE9", "\xC3\xA9"},            // ANSI: é
        {1, 0, 1252, "\x80", "\xE2\x82\xAC"},          // DEFAULT with the system page
        {1, 866, 866, "\x80", "\xD0\x90"},             // DEFAULT follows the PC page
        {204, 1252, 1251, "\xC0", "\xD0\x90"},         // RUSSIAN
        {255, 1252, 437, "\x82", "\xC3\xA9"},          // OEM
        {2, 1252, 1252, "\xE9", "\xC3\xA9"},           // SYMBOL drawn as ANSI
        {128, 1252, 932, "\x82\xA0", "\xE3\x81\x82"},  // SHIFTJIS
        {77, 1252, 10000, "\x8E", "\xC3\xA9"},         // MAC
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DisplayCharset::codePageOf(c.charset, c.pcCodePage), c.codePage) << c.charset;
        auto decoder = DisplayCharset::decoderFor(c.codePage);
        EXPECT_EQ(DisplayCharset::decode(decoder, c.bytes), QString::fromUtf8(c.shown)) << c.charset;
    }
}

}  // namespace
}  // namespace quelvane::test
