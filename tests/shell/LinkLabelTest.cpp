#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QTest>

#include "shell/LinkLabel.h"
#include "tests/shell/ScriptedDialogs.h"

namespace quelvane::test {
namespace {

class LinkLabelTest : public ::testing::Test {
  protected:
    ScriptedDialogs dialogs;
    LinkLabel label{dialogs};
};

TEST_F(LinkLabelTest, AddressesTakeThePrefixOfTheirKind) {
    struct Case {
        TLinkType type;
        const char* given;
        const char* stored;
    } cases[] = {
        {ltEmail, "someone@example.org", "mailto:someone@example.org"},
        {ltEmail, "http://someone@example.org", "mailto:someone@example.org"},
        {ltInternet, "mailto:www.example.org", "http://www.example.org"},
        {ltInternet, "HTTP://www.example.org", "http://HTTP://www.example.org"},  // case-sensitive
        {ltInternet, "", ""},                                                     // no bare prefix
        {ltNone, "www.example.org", ""},
    };
    for (const auto& c : cases) {
        label.SetLinkType(c.type);
        label.SetAddress(QString::fromLatin1(c.given));
        EXPECT_EQ(label.LinkAddress(), QString::fromLatin1(c.stored)) << c.given;
    }
}

TEST_F(LinkLabelTest, TheHintIsTheAddressWithoutItsPrefix) {
    label.SetLinkType(ltInternet);
    label.SetAddress(QStringLiteral("www.example.org"));
    EXPECT_EQ(label.LinkHint(), QString());
    label.SetLinkShowHint(true);
    EXPECT_EQ(label.LinkHint(), QStringLiteral("www.example.org"));
    EXPECT_EQ(label.toolTip(), QStringLiteral("www.example.org"));

    label.SetLinkType(ltEmail);
    EXPECT_EQ(label.LinkAddress(), QStringLiteral("mailto:www.example.org"));
    EXPECT_EQ(label.LinkHint(), QStringLiteral("www.example.org"));

    label.SetLinkShowHint(false);
    EXPECT_EQ(label.LinkHint(), QString());
    EXPECT_EQ(label.toolTip(), QString());
}

TEST_F(LinkLabelTest, NoneOrAnUnknownKindEmptiesTheLinkForGood) {
    label.SetLinkType(ltInternet);
    label.SetLinkShowHint(true);
    label.SetAddress(QStringLiteral("www.example.org"));
    label.SetLinkType(ltNone);
    EXPECT_EQ(label.LinkAddress(), QString());
    EXPECT_EQ(label.LinkHint(), QString());
    EXPECT_FALSE(label.LinkShowHint());
    label.SetLinkType(ltInternet);
    EXPECT_EQ(label.LinkAddress(), QString());

    label.SetLinkType(7);
    EXPECT_EQ(label.LinkType(), ltNone);
    EXPECT_EQ(label.LinkAddress(), QString());
}

TEST_F(LinkLabelTest, ExecuteOpensTheAddressOrSaysWhyNot) {
    label.SetLinkType(ltNone);
    label.Execute();
    label.SetLinkType(ltEmail);
    label.SetAddress(QStringLiteral("a@example.org"));
    label.SetLinkType(ltNone);
    label.Execute();
    EXPECT_TRUE(dialogs.urls.empty());

    label.SetLinkType(ltEmail);
    label.SetAddress(QStringLiteral("a@example.org"));
    label.Execute();
    ASSERT_EQ(dialogs.urls.size(), 1u);
    EXPECT_EQ(dialogs.urls[0].toString(), QStringLiteral("mailto:a@example.org"));
    EXPECT_TRUE(dialogs.messages.empty());

    dialogs.urlOpens = false;
    label.Execute();
    label.SetLinkType(ltInternet);
    label.Execute();
    EXPECT_EQ(dialogs.messageTexts(), (QStringList{"Could not run computers default e-mail system",
                                                   "Could not run computers default Browser"}));
    EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("Quelvane"));
}

TEST_F(LinkLabelTest, HoveringShowsTheLinkFontAndLeavingRestoresTheFontItHad) {
    QFont normal = label.font();
    normal.setPixelSize(11);
    label.setFont(normal);
    QFont link = normal;
    link.setUnderline(true);
    label.SetLinkFont(link);

    QFont before = normal;
    before.setItalic(true);
    label.setFont(before);
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(&label, &enter);
    EXPECT_EQ(label.font(), link);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&label, &leave);
    EXPECT_EQ(label.font(), before);
}

// A double-click is a click and then a double-click: the link opens twice, not three times.
TEST_F(LinkLabelTest, ADoubleClickOpensTheLinkTwice) {
    label.SetLinkType(ltInternet);
    label.SetAddress(QStringLiteral("www.example.org"));
    label.resize(100, 20);
    const QPointF at(10, 10);
    auto send = [&](QEvent::Type type, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, label.mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(&label, &event);
    };
    send(QEvent::MouseButtonPress, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    EXPECT_EQ(dialogs.urls.size(), 1u);
    send(QEvent::MouseButtonDblClick, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    EXPECT_EQ(dialogs.urls.size(), 2u);
    send(QEvent::MouseButtonPress, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    EXPECT_EQ(dialogs.urls.size(), 3u);
}

}  // namespace
}  // namespace quelvane::test
