#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "describe/MessageFileReader.h"
#include "savefile/DecodingFailure.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/SaveFileBuilder.h"

namespace quelvane::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kSecondSegment = 0x4E00;
constexpr std::size_t kSpace = kSecondSegment + 0x20;
// Later saves place the message space 0x1000 into its segment.
constexpr std::size_t kLaterSpaceOffset = 0x1000;

// A message file's data as the layout keeps it: an index segment of 0x4000 bytes and a message
// space segment of 0x3000 bytes, one text and one description record per message. The older
// layout keeps the message count as 2 bytes at index header +8 and the space just after the
// second segment's header; the later one (`later`) the count as 4 bytes at +8 and the space
// 0x1000 into the segment, as the segment header's space address says in both.
struct BuiltMessageFile {
    Bytes data = Bytes(0xE00 + 0x4000 + 0x3000, 0);
    std::vector<std::size_t> textRecords;
    std::vector<std::size_t> descriptionRecords;

    explicit BuiltMessageFile(const std::vector<std::pair<std::string, std::string>>& messages,
                              bool later = false) {
        const std::size_t space = later ? kSecondSegment + kLaterSpaceOffset : kSpace;
        SaveFileBuilder::putU16(data, 0xE02, 0x20);
        SaveFileBuilder::putU16(data, 0x4E02, 0x18);
        SaveFileBuilder::putU32(data, kSecondSegment + 0x1C,
                                static_cast<std::uint32_t>(space - kSecondSegment));
        if (later) {
            SaveFileBuilder::putU32(data, 0xF08, static_cast<std::uint32_t>(messages.size()));
        } else {
            SaveFileBuilder::putU16(data, 0xF08, static_cast<std::uint32_t>(messages.size()));
        }
        std::size_t record = 0x50;
        std::size_t entry = 0x1E00;
        for (const auto& [id, text] : messages) {
            std::size_t textLength = 16 + text.size();
            SaveFileBuilder::putU32(data, space + record, static_cast<std::uint32_t>(textLength));
            data[space + record + 4] = 0x01;
            SaveFileBuilder::putU16(data, space + record + 8, 0xFFFF);
            SaveFileBuilder::putU16(data, space + record + 14, static_cast<std::uint32_t>(text.size()));
            SaveFileBuilder::putBytes(data, space + record + 16, SaveFileBuilder::ebcdic(text, text.size()));
            textRecords.push_back(record);
            std::size_t description = record + textLength;
            SaveFileBuilder::putU32(data, space + description, 37);
            data[space + description + 4] = 0x08;
            SaveFileBuilder::putBytes(data, space + description + 5, SaveFileBuilder::ebcdic(id, 7));
            descriptionRecords.push_back(description);
            // The index entry: the key, then the two record offsets at +2 and +18 of its data.
            SaveFileBuilder::putBytes(data, entry, SaveFileBuilder::ebcdic(id, 7));
            SaveFileBuilder::putU32(data, entry + 7 + 2, static_cast<std::uint32_t>(record));
            SaveFileBuilder::putU32(data, entry + 7 + 18, static_cast<std::uint32_t>(description));
            entry += 44;
            record = description + 37;
        }
        SaveFileBuilder::putU32(data, space + record, 0x100);
        SaveFileBuilder::putU32(data, space + 0x11, static_cast<std::uint32_t>(record + 0x100));
    }
};

TEST(MessageFileDescribe, MessagesAndStatements) {
    // Stored out of index order: the index, not the heap order, ties text to identifier.
    BuiltMessageFile built({{"ABC0001", "First message"}, {"ABC0002", "It's the second"}});
    Cp037Converter converter;
    MessageFileContents contents = MessageFileReader(converter).read(built.data);
    ASSERT_EQ(contents.messages.size(), 2u);
    EXPECT_EQ(contents.messages[0].id, "ABC0001");
    EXPECT_EQ(contents.messages[0].text, "First message");
    EXPECT_EQ(contents.messages[1].text, "It's the second");
    EXPECT_EQ(MessageFileReader::addMessageStatements(contents, "MYMSGF"),
              (std::vector<std::string>{
                  "/* MYMSGF: 2 messages; second-level text, severity, substitution variables and reply "
                  "values are not decoded */",
                  "             ADDMSGD    MSGID(ABC0001) MSGF(MYMSGF) MSG('First +",
                  "                          message')",
                  "             ADDMSGD    MSGID(ABC0002) MSGF(MYMSGF) MSG('It''s the +",
                  "                          second')",
              }));
}

// The later layout reads as the older: the space where its address points, the 4-byte count.
TEST(MessageFileDescribe, LaterLayout) {
    BuiltMessageFile built({{"PRZ0001", "Wrong mode sequence."}, {"PRZ0002", "Second"}}, true);
    Cp037Converter converter;
    MessageFileContents contents = MessageFileReader(converter).read(built.data);
    ASSERT_EQ(contents.messages.size(), 2u);
    EXPECT_EQ(contents.messages[0].id, "PRZ0001");
    EXPECT_EQ(contents.messages[0].text, "Wrong mode sequence.");
    EXPECT_EQ(contents.messages[1].text, "Second");

    struct Spoil {
        const char* what;
        std::size_t at;
        std::uint32_t value;
    };
    const Spoil spoils[] = {
        {"space address inside the segment header", kSecondSegment + 0x1C, 0x10},
        {"space address past the segment", kSecondSegment + 0x1C, 0x3000},
        {"4-byte count too large", 0xF08, 0x00010002},
        {"4-byte count too small", 0xF08, 1},
    };
    for (const Spoil& spoil : spoils) {
        BuiltMessageFile spoiled({{"PRZ0001", "First"}, {"PRZ0002", "Second"}}, true);
        SaveFileBuilder::putU32(spoiled.data, spoil.at, spoil.value);
        EXPECT_THROW(MessageFileReader(converter).read(spoiled.data), DecodingFailure) << spoil.what;
    }
}

// A description no index entry ties to a text keeps its identifier and says its text is not
// decoded.
TEST(MessageFileDescribe, TextNotTied) {
    BuiltMessageFile built(std::vector<std::pair<std::string, std::string>>{{"ABC0001", "First"}});
    SaveFileBuilder::putU32(built.data, 0x1E00 + 7 + 18, 0x7777);
    Cp037Converter converter;
    MessageFileContents contents = MessageFileReader(converter).read(built.data);
    ASSERT_EQ(contents.messages.size(), 1u);
    EXPECT_FALSE(contents.messages[0].text);
    EXPECT_EQ(MessageFileReader::addMessageStatements(contents, "M").at(1),
              "/* ABC0001: first-level text not decoded */");
}

TEST(MessageFileDescribe, SpoiledMessageFiles) {
    struct Spoil {
        const char* what;
        std::size_t at;
        std::uint32_t value;
        bool wide;
    };
    BuiltMessageFile probe({{"ABC0001", "First"}, {"ABC0002", "Second"}});
    const Spoil spoils[] = {
        {"first segment past the data", 0xE02, 0xFFFF, false},
        {"second segment past the data", 0x4E02, 0x7FFF, false},
        {"heap end past the segment", kSpace + 0x11, 0x7FFFFFFF, true},
        {"record length zero", kSpace + probe.textRecords[1], 0, true},
        {"record past the heap", kSpace + probe.textRecords[1], 0x10000, true},
        {"text longer than its record", kSpace + probe.textRecords[0] + 14, 0x4000, false},
        {"index count too large", 0xF08, 60000, false},
    };
    Cp037Converter converter;
    for (const Spoil& spoil : spoils) {
        BuiltMessageFile built({{"ABC0001", "First"}, {"ABC0002", "Second"}});
        if (spoil.wide) {
            SaveFileBuilder::putU32(built.data, spoil.at, spoil.value);
        } else {
            SaveFileBuilder::putU16(built.data, spoil.at, spoil.value);
        }
        EXPECT_THROW(MessageFileReader(converter).read(built.data), DecodingFailure) << spoil.what;
    }
}

TEST(MessageFileDescribe, TruncationSweep) {
    BuiltMessageFile built({{"ABC0001", "First"}, {"ABC0002", "Second"}});
    Cp037Converter converter;
    for (std::size_t size = 0; size < built.data.size(); size += 7) {
        Bytes cut(built.data.begin(), built.data.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_THROW(MessageFileReader(converter).read(cut), DecodingFailure) << size;
    }
}

}  // namespace
}  // namespace quelvane::test
