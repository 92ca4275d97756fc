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

constexpr std::size_t kSpace = 0x4E20;

// A message file's data as the layout keeps it: an index segment of 0x4000 bytes and a message
// space segment of 0x3000 bytes, one text and one description record per message.
struct BuiltMessageFile {
    Bytes data = Bytes(0xE00 + 0x4000 + 0x3000, 0);
    std::vector<std::size_t> textRecords;
    std::vector<std::size_t> descriptionRecords;

    explicit BuiltMessageFile(const std::vector<std::pair<std::string, std::string>>& messages) {
        SaveFileBuilder::putU16(data, 0xE02, 0x20);
        SaveFileBuilder::putU16(data, 0x4E02, 0x18);
        SaveFileBuilder::putU16(data, 0xF08, static_cast<std::uint32_t>(messages.size()));
        std::size_t record = 0x50;
        std::size_t entry = 0x1E00;
        for (const auto& [id, text] : messages) {
            std::size_t textLength = 16 + text.size();
            SaveFileBuilder::putU32(data, kSpace + record, static_cast<std::uint32_t>(textLength));
            data[kSpace + record + 4] = 0x01;
            SaveFileBuilder::putU16(data, kSpace + record + 8, 0xFFFF);
            SaveFileBuilder::putU16(data, kSpace + record + 14, static_cast<std::uint32_t>(text.size()));
            SaveFileBuilder::putBytes(data, kSpace + record + 16, SaveFileBuilder::ebcdic(text, text.size()));
            textRecords.push_back(record);
            std::size_t description = record + textLength;
            SaveFileBuilder::putU32(data, kSpace + description, 37);
            data[kSpace + description + 4] = 0x08;
            SaveFileBuilder::putBytes(data, kSpace + description + 5, SaveFileBuilder::ebcdic(id, 7));
            descriptionRecords.push_back(description);
            // The index entry: the key, then the two record offsets at +2 and +18 of its data.
            SaveFileBuilder::putBytes(data, entry, SaveFileBuilder::ebcdic(id, 7));
            SaveFileBuilder::putU32(data, entry + 7 + 2, static_cast<std::uint32_t>(record));
            SaveFileBuilder::putU32(data, entry + 7 + 18, static_cast<std::uint32_t>(description));
            entry += 44;
            record = description + 37;
        }
        SaveFileBuilder::putU32(data, kSpace + record, 0x100);
        SaveFileBuilder::putU32(data, kSpace + 0x11, static_cast<std::uint32_t>(record + 0x100));
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
