#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conversion/ConversionBackend.h"
#include "conversion/PcPageWideText.h"
#include "conversion/UnknownPcPage.h"
#include "export/AutomationFailure.h"
#include "export/AutomationHandleTable.h"
#include "export/AutomationReference.h"
#include "export/InProcessAutomationClient.h"
#include "tests/support/RecordingAutomationClient.h"

namespace quelvane {
namespace {

TEST(PcPageWideText, DecodesWithThePcCodePageNotTheSystemOne) {
    struct Case {
        std::int32_t codePage;
        std::string bytes;
        std::u16string text;
    };
    const std::vector<Case> cases = {
        {0, "\x80 caf\xE9", u"\u20ac caf\u00e9"},  // 0 is windows-1252
        {1252, "\x80", u"\u20ac"},
        {1250, "\x8A", u"\u0160"},
        {437, "\x81\xE1", u"\u00fc\u00df"},
        {932, "A\x82\xA0", u"A\u3042"},
        {936, "\xC4\xE3", u"\u4f60"},
        {949, "\xB0\xA1", u"\uac00"},
        {950, "\xA4\x40", u"\u4e00"},
        {1252, "", u""},
    };
    for (const Case& c : cases) {
        PcPageWideText codec(c.codePage);
        EXPECT_EQ(codec.decode(c.bytes), c.text) << c.codePage;
        EXPECT_EQ(codec.encode(c.text), c.bytes) << c.codePage;
    }
    EXPECT_THROW(PcPageWideText(12345), UnknownPcPage);
    EXPECT_THROW(InProcessAutomationClient(12345), AutomationFailure);
}

TEST(PcPageWideText, AsciiTextsReadAsThePageItselfReadsThem) {
    // Every byte below 0x80, alone, in runs and beside the page's own characters.
    std::vector<std::string> texts = {"", "A", "plain text 123.45", "\x1B$B", "\x0E\x0F~\\", "\x7F\x00x"};
    std::string all;
    for (int byte = 0; byte < 0x80; ++byte) {
        all += static_cast<char>(byte);
        texts.push_back(std::string(3, static_cast<char>(byte)));
    }
    texts.push_back(all);
    texts.push_back(all + "\x82\xA0");
    for (const std::int32_t codePage : {0, 1252, 1250, 1251, 437, 850, 874, 932, 936, 949, 950}) {
        PcPageWideText codec(codePage);
        const auto page = ConversionBackend::standard().openPcPage(codePage);
        for (const std::string& text : texts) {
            std::u16string expected;
            page->decode({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, expected,
                         nullptr);
            EXPECT_EQ(codec.decode(text), expected) << codePage << " " << text;
        }
    }
}

// A server object that does nothing, to be held.
class Idle final : public AutomationServerObject {
  public:
    AutomationServerValue invoke(std::string_view, std::span<const AutomationServerValue>) override {
        return {};
    }
    void put(std::string_view, const AutomationServerValue&) override {}
};

TEST(AutomationHandleTable, HandlesAreNewEachTimeAndFoundUntilReleasedInAnyOrder) {
    AutomationHandleTable table;
    std::vector<std::pair<std::uint32_t, AutomationServerObject*>> held;
    for (int i = 0; i < 200; ++i) {
        auto object = std::make_shared<Idle>();
        const std::uint32_t handle = table.add(object);
        EXPECT_EQ(handle, static_cast<std::uint32_t>(i + 1));
        held.emplace_back(handle, object.get());
    }
    // Release every third from the front, then the newest, then the rest from the back.
    for (std::size_t i = 0; i < held.size(); i += 3) {
        EXPECT_TRUE(table.erase(held[i].first));
        EXPECT_FALSE(table.erase(held[i].first));
    }
    for (std::size_t i = 0; i < held.size(); ++i) {
        EXPECT_EQ(table.find(held[i].first), i % 3 == 0 ? nullptr : held[i].second) << i;
    }
    EXPECT_EQ(table.add(std::make_shared<Idle>()), 201u);
    EXPECT_TRUE(table.erase(201));
    for (std::size_t i = held.size(); i-- > 0;) {
        EXPECT_EQ(table.erase(held[i].first), i % 3 != 0) << i;
    }
    EXPECT_EQ(table.size(), 0u);
    EXPECT_EQ(table.find(0), nullptr);
    EXPECT_EQ(table.findShared(5), nullptr);
}

TEST(InProcessAutomationClient, ReferencesAreCountedAndCheckedPerHandle) {
    InProcessAutomationClient carrier(0);
    AutomationClient& client = carrier;
    const AutomationObject app = client.create("Excel.Application");
    const AutomationObject workbooks = objectOf(client.get(app, "Workbooks"), "Workbooks");
    // run drops the result the caller does not keep.
    client.run(workbooks, "Add", {std::int32_t{1}});
    EXPECT_EQ(carrier.heldReferences(), 2u);
    client.release(workbooks);
    EXPECT_THROW(client.release(workbooks), AutomationFailure);
    EXPECT_THROW(client.get(workbooks, "Add"), AutomationFailure);
    EXPECT_THROW(client.call(app, "Selection", {workbooks}), AutomationFailure);
    EXPECT_THROW(objectOf(client.get(app, "Visible"), "Visible"), AutomationFailure);
    // Releasing the application does not make it quit; a second one is a separate server.
    client.release(app);
    EXPECT_EQ(carrier.heldReferences(), 0u);
    EXPECT_THROW(client.create("Access.Application"), AutomationFailure);
}

TEST(RecordingAutomationClient, RecordsTheConversationAndFailsOnRequest) {
    test::RecordingAutomationClient recorder;
    AutomationClient& client = recorder;
    recorder.failWhen("set #2.Value", "Write failed");
    const AutomationObject app = client.create("Excel.Application");
    client.set(app, "Visible", false);
    const AutomationObject cell =
        objectOf(client.get(app, "Cells", {std::uint32_t{2}, std::int32_t{1}}), "Cells");
    EXPECT_THROW(client.set(cell, "Value", std::string("x")), AutomationFailure);
    client.set(app, "ColumnWidth", 5.0);
    client.run(app, "Quit");
    client.release(cell);
    client.release(app);
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{
                                  "create Excel.Application -> #1",
                                  "set #1.Visible = false",
                                  "get #1.Cells(2u, 1) -> #2",
                                  "set #2.Value = \"x\"",
                                  "set #1.ColumnWidth = 5d",
                                  "run #1.Quit()",
                                  "release #2",
                                  "release #1",
                              }));
    EXPECT_EQ(recorder.heldReferences(), 0u);
}

TEST(AutomationReference, ChainsReleaseTheirIntermediatesAlsoWhenAStepFails) {
    test::RecordingAutomationClient recorder;
    recorder.failWhen("set #6.Value");
    {
        const auto app = AutomationReference::create(recorder, "Excel.Application");
        app.get("Workbooks").call("Add", {std::int32_t{1}});
        const auto sheet = app.get("ActiveWorkbook").get("Sheets", {std::int32_t{1}});
        EXPECT_THROW(sheet.get("Cells", {std::uint32_t{2}, std::int32_t{1}}).set("Value", std::string("x")),
                     AutomationFailure);
        app.run("Quit");
    }
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{
                                  "create Excel.Application -> #1",
                                  "get #1.Workbooks() -> #2",
                                  "call #2.Add(1) -> #3",
                                  "release #3",
                                  "release #2",
                                  "get #1.ActiveWorkbook() -> #4",
                                  "get #4.Sheets(1) -> #5",
                                  "release #4",
                                  "get #5.Cells(2u, 1) -> #6",
                                  "set #6.Value = \"x\"",
                                  "release #6",
                                  "run #1.Quit()",
                                  "release #5",
                                  "release #1",
                              }));
    EXPECT_EQ(recorder.heldReferences(), 0u);
}

TEST(AutomationReference, MovedAndReleasedReferencesHoldNothing) {
    test::RecordingAutomationClient recorder;
    auto app = AutomationReference::create(recorder, "Word.Application");
    AutomationReference moved = std::move(app);
    EXPECT_FALSE(app.held());
    EXPECT_THROW(app.get("Documents"), AutomationFailure);
    EXPECT_EQ(moved.object().handle, 1u);
    moved.release();
    EXPECT_FALSE(moved.held());
    EXPECT_EQ(recorder.heldReferences(), 0u);
    EXPECT_EQ(recorder.lines.back(), "release #1");
}

}  // namespace
}  // namespace quelvane
