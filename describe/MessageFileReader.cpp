#include "describe/MessageFileReader.h"

#include <map>

#include "describe/ClStatement.h"
#include "savefile/BigEndianReader.h"
#include "savefile/EbcdicField.h"

namespace quelvane {

namespace {

// MI segments, from the object data start; a segment's size is counted in 512-byte pages.
constexpr std::int64_t kFirstSegmentAt = 0xE00;
constexpr std::int64_t kSegmentPagesAt = 2;
constexpr std::int64_t kPageSize = 512;
constexpr std::int64_t kSegmentHeaderSize = 0x20;
// The address of the segment's space; its low 3 bytes are the space's offset in the segment
// (0x20, just after the header, in the older saves; 0x1000 in later ones).
constexpr std::int64_t kSpaceAddressAt = 0x18;
constexpr std::int64_t kSpaceOffsetAt = kSpaceAddressAt + 5;

// The index header and the index, from the object data start. The message count is a 2-byte
// number at +8 in the older layout, a 4-byte one at +8 in the later (whose bytes +10 and +11
// hold the count's low half; the older layout keeps them zero).
constexpr std::int64_t kIndexCountAt = 0xF08;
constexpr std::int64_t kIndexCountLowAt = 0xF0A;
constexpr std::int64_t kIndexStart = 0x1E00;
// Within an index entry's data: the text record at +2, the description record at +18.
constexpr std::int64_t kTextToDescription = 16;

// The message space, from its start.
constexpr std::int64_t kHeapEndAt = 0x11;
constexpr std::int64_t kFirstRecordAt = 0x50;
// Record: length (counting itself), kind.
constexpr std::int64_t kRecordKindAt = 4;
constexpr std::int64_t kRecordHeaderSize = 5;
constexpr std::uint8_t kTextRecord = 0x01;
constexpr std::uint8_t kDescriptionRecord = 0x08;
constexpr std::uint8_t kFreeSpace = 0x00;
constexpr std::int64_t kTextLengthAt = 14;
constexpr std::int64_t kTextAt = 16;
constexpr std::int64_t kMessageIdAt = 5;
constexpr std::int64_t kMessageIdWidth = 7;

std::uint32_t u32At(std::span<const std::uint8_t> bytes, std::size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
}

}  // namespace

MessageFileContents MessageFileReader::read(std::span<const std::uint8_t> objectData) {
    BigEndianReader data(objectData);
    const std::int64_t firstSize = std::int64_t{data.u16(kFirstSegmentAt + kSegmentPagesAt)} * kPageSize;
    const std::int64_t secondStart = kFirstSegmentAt + firstSize;
    const std::int64_t secondSize = std::int64_t{data.u16(secondStart + kSegmentPagesAt)} * kPageSize;
    if (firstSize <= kIndexStart - kFirstSegmentAt || secondSize <= kSegmentHeaderSize ||
        !data.contains(secondStart, secondSize)) {
        throw DecodingFailure("the message file's segments do not fit its data");
    }
    const std::uint32_t indexCount =
        data.u16(kIndexCountLowAt) != 0 ? data.u32(kIndexCountAt) : data.u16(kIndexCountAt);
    const std::int64_t spaceOffset = data.u24(secondStart + kSpaceOffsetAt);
    if (spaceOffset < kSegmentHeaderSize || spaceOffset >= secondSize) {
        throw DecodingFailure("the message space lies outside its segment");
    }
    BigEndianReader space(objectData.subspan(static_cast<std::size_t>(secondStart + spaceOffset),
                                             static_cast<std::size_t>(secondSize - spaceOffset)));
    const std::int64_t heapEnd = space.u32(kHeapEndAt);
    if (heapEnd < kFirstRecordAt || !space.contains(0, heapEnd)) {
        throw DecodingFailure("the message heap ends outside its segment");
    }

    std::map<std::int64_t, std::string> texts;
    std::vector<std::pair<std::int64_t, std::string>> descriptions;
    for (std::int64_t at = kFirstRecordAt; at < heapEnd;) {
        std::int64_t length = space.u32(at);
        std::uint8_t kind = space.u8(at + kRecordKindAt);
        if (kind == kFreeSpace) {
            break;
        }
        if (length < kRecordHeaderSize || !space.contains(at, length)) {
            throw DecodingFailure("a message record leaves the message heap");
        }
        if (kind == kTextRecord) {
            std::uint32_t textLength = space.u16(at + kTextLengthAt);
            if (kTextAt + textLength > length) {
                throw DecodingFailure("a message text is longer than its record");
            }
            texts[at] = convertField(converter_, space.at(at + kTextAt, textLength), true);
        } else if (kind == kDescriptionRecord) {
            descriptions.emplace_back(
                at, convertField(converter_, space.at(at + kMessageIdAt, kMessageIdWidth), true));
        }
        at += length;
    }
    if (descriptions.size() != indexCount) {
        throw DecodingFailure("the index counts " + std::to_string(indexCount) +
                              " messages, the heap holds " + std::to_string(descriptions.size()));
    }

    // The index entry of a description holds its offset; the text record's offset stands 16
    // bytes before it in the same entry.
    std::span<const std::uint8_t> index =
        objectData.subspan(static_cast<std::size_t>(kIndexStart),
                           static_cast<std::size_t>(firstSize - (kIndexStart - kFirstSegmentAt)));
    std::map<std::int64_t, std::size_t> byOffset;
    MessageFileContents contents;
    for (const auto& [offset, id] : descriptions) {
        byOffset[offset] = contents.messages.size();
        contents.messages.push_back({id, std::nullopt});
    }
    for (std::size_t p = kTextToDescription; p + 4 <= index.size(); ++p) {
        auto description = byOffset.find(u32At(index, p));
        if (description == byOffset.end() || contents.messages[description->second].text) {
            continue;
        }
        auto text = texts.find(u32At(index, p - kTextToDescription));
        if (text != texts.end()) {
            contents.messages[description->second].text = text->second;
        }
    }
    return contents;
}

std::vector<std::string> MessageFileReader::addMessageStatements(const MessageFileContents& contents,
                                                                 const std::string& name) {
    std::vector<ClStatement> statements;
    for (const MessageDescription& message : contents.messages) {
        ClStatement& s = statements.emplace_back(ClStatement{"", "ADDMSGD", {}});
        s.parameters.emplace_back("MSGID", message.id);
        s.parameters.emplace_back("MSGF", name);
        if (message.text) {
            std::string quoted = "'";
            for (char c : *message.text) {
                quoted += c == '\'' ? std::string("''") : std::string(1, c);
            }
            s.parameters.emplace_back("MSG", quoted + "'");
        }
    }
    std::vector<std::string> lines{
        "/* " + name + ": " + std::to_string(contents.messages.size()) +
        " messages; second-level text, severity, substitution variables and reply values are "
        "not decoded */"};
    for (const MessageDescription& message : contents.messages) {
        if (!message.text) {
            lines.push_back("/* " + message.id + ": first-level text not decoded */");
        }
    }
    for (std::string& line : ClSourceText::format(statements)) {
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace quelvane
