#include <gtest/gtest.h>

#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "bridge/BridgeSession.h"
#include "compare/ComparisonJson.h"
#include "compare/SaveComparer.h"
#include "conversion/InProcessTextConverter.h"
#include "conversion/Notifier.h"
#include "savefile/MemoryBlockSource.h"
#include "tests/compare/ComparedSaves.h"
#include "views/OpenedSave.h"

namespace quelvane::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A built save opened in a bridge session, as the page opens one, its bytes held for the reads.
struct SessionOver {
    SessionOver(const SaveFileImage& image, const std::string& name) : bytes(image.bytes()) {
        answer = session.open([this] { return std::make_unique<MemoryBlockSource>(std::span(bytes)); }, name);
    }
    Bytes bytes;
    BridgeSession session{37, 1252};
    std::string answer;
};

class HeardProgress final : public ProgressReporter {
  public:
    void progress(std::int64_t done, std::int64_t total) override { heard.emplace_back(done, total); }
    bool cancelled() const override { return false; }
    std::vector<std::pair<std::int64_t, std::int64_t>> heard;
};

// The core's own answer over the same bytes, opened and compared without the bridge.
std::string coreJson(const SaveFileImage& before, const SaveFileImage& after) {
    struct Side {
        explicit Side(const SaveFileImage& image) : bytes(image.bytes()) {
            converter.EbcdicCodePage = 37;
            converter.PcCodePage = 1252;
            save.open([this] { return std::make_unique<MemoryBlockSource>(std::span(bytes)); }, "x",
                      converter, notifier);
        }
        ComparedSave compared() {
            ComparedSave out;
            out.catalog = &save.catalog();
            out.stored = [this] { return std::make_unique<MemoryBlockSource>(std::span(bytes)); };
            out.converter = &converter;
            return out;
        }
        Bytes bytes;
        InProcessTextConverter converter;
        SilentNotifier notifier;
        OpenedSave save;
    };
    Side a(before);
    Side b(after);
    return ComparisonJson::text(
        SaveComparer(a.compared(), b.compared(), {}).run("before.savf", "after.savf"));
}

TEST(BridgeCompare, AnswersWhatTheCoreComparesNamedByTheFiles) {
    SessionOver before(comparedBefore(), "/some/folder/before.savf");
    SessionOver after(comparedAfter(), "after.savf");
    ASSERT_NE(before.answer.find("\"outcome\":\"opened\""), std::string::npos) << before.answer;
    ASSERT_NE(after.answer.find("\"outcome\":\"opened\""), std::string::npos) << after.answer;
    HeardProgress progress;
    const std::string answer = before.session.compare(after.session, false, progress);
    EXPECT_EQ(answer, coreJson(comparedBefore(), comparedAfter()));
    // Named by the files' names, not their paths; JsonWriter sets a member's value after ": ".
    for (const char* said : {"\"before\": \"before.savf\"", "\"after\": \"after.savf\"", "\"same\": false"}) {
        EXPECT_NE(answer.find(said), std::string::npos) << said;
    }
    EXPECT_NE(answer.find("5 objects changed, 1 added, 1 removed; 1 source member changed (+2 -1 lines)"),
              std::string::npos);
}

TEST(BridgeCompare, ProgressHearsEveryObjectOfTheAfterSaveOnce) {
    SessionOver before(comparedBefore(), "before.savf");
    SessionOver after(comparedAfter(), "after.savf");
    HeardProgress progress;
    before.session.compare(after.session, false, progress);
    ASSERT_FALSE(progress.heard.empty());
    const std::int64_t total = progress.heard.back().second;
    EXPECT_GT(total, 0);
    ASSERT_EQ(progress.heard.size(), static_cast<std::size_t>(total) + 1);
    for (std::size_t i = 0; i < progress.heard.size(); ++i) {
        EXPECT_EQ(progress.heard[i], std::make_pair(static_cast<std::int64_t>(i), total));
    }
}

TEST(BridgeCompare, SequenceNumbersAndDatesAreComparedOnlyWhenAsked) {
    SessionOver before(comparedBefore(), "before.savf");
    SessionOver after(comparedAfter(), "after.savf");
    NoProgress quiet;
    const std::string plain = before.session.compare(after.session, false, quiet);
    const std::string dated = before.session.compare(after.session, true, quiet);
    EXPECT_NE(plain.find("(+2 -1 lines)"), std::string::npos);
    EXPECT_EQ(dated.find("(+2 -1 lines)"), std::string::npos)
        << "every line's sequence number and date differ";
}

TEST(BridgeCompare, ASaveAgainstItselfHoldsTheSame) {
    SessionOver one(comparedAfter(), "after.savf");
    NoProgress quiet;
    const std::string answer = one.session.compare(one.session, false, quiet);
    EXPECT_NE(answer.find("\"same\": true"), std::string::npos) << answer;
}

TEST(BridgeCompare, ASessionWithoutASaveSaysSo) {
    BridgeSession unopened(37, 1252);
    SessionOver after(comparedAfter(), "after.savf");
    NoProgress quiet;
    EXPECT_NE(unopened.compare(after.session, false, quiet).find("\"error\":\"no save file is open\""),
              std::string::npos);
    EXPECT_NE(after.session.compare(unopened, false, quiet).find("\"error\":\"no save file is open\""),
              std::string::npos);
}

}  // namespace
}  // namespace quelvane::test
