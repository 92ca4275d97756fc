#include "describe/CommandReader.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <string>

#include "savefile/BigEndianReader.h"
#include "savefile/EbcdicField.h"

namespace quelvane {

namespace {

// MI segment header, at the start of the MI segments.
constexpr std::int64_t kFirstSegmentAt = 0xE00;
constexpr std::int64_t kSegmentAddressAt = 0x08;
constexpr std::int64_t kSpaceAddressAt = 0x18;

// Space header, from the space start.
constexpr std::int64_t kProgramAt = 0x02;
constexpr std::int64_t kProgramLibraryAt = 0x0C;
constexpr std::int64_t kCheckerAt = 0x18;
constexpr std::int64_t kCheckerLibraryAt = 0x22;
constexpr std::int64_t kMessageFileAt = 0x34;
constexpr std::int64_t kMessageFileLibraryAt = 0x3E;
constexpr std::int64_t kTrailerAt = 0x65;
constexpr std::int64_t kPromptAt = 0x7B;
constexpr std::int64_t kFirstParameterAt = 0x7D;
constexpr std::int64_t kParameterCountAt = 0x7F;
constexpr std::int64_t kNameWidth = 10;

// Trailer, from its start.
constexpr std::int64_t kHelpPanelGroupAt = 2;
constexpr std::int64_t kHelpPanelGroupLibraryAt = 12;
constexpr std::int64_t kHelpIdentifierAt = 22;

// Entry, from its start.
constexpr std::int64_t kNextAt = 0;
constexpr std::int64_t kFirstPartAt = 2;
constexpr std::int64_t kKindAt = 4;
constexpr std::int64_t kTypeAt = 7;
constexpr std::int64_t kLengthAt = 8;
constexpr std::int64_t kDecimalsAt = 10;
constexpr std::int64_t kMinimumAt = 12;
constexpr std::int64_t kMaximumAt = 14;
constexpr std::int64_t kValueFlagsAt = 18;
constexpr std::int64_t kPromptFlagsAt = 19;
constexpr std::int64_t kInputFlagsAt = 20;
constexpr std::int64_t kEntryPromptAt = 21;
constexpr std::int64_t kCaseFlagsAt = 26;
constexpr std::int64_t kKeywordAt = 27;
constexpr std::int64_t kParameterNumberAt = 37;
constexpr std::int64_t kParameterItemsAt = 41;
constexpr std::int64_t kPartItemsAt = 27;

constexpr std::uint8_t kQualifierGroup = 0x04;
constexpr std::uint8_t kElementGroup = 0x08;
constexpr std::uint8_t kListWrapper = 0xC6;
constexpr std::uint8_t kExpressionFlag = 0x40;
constexpr std::uint8_t kVaryingFlag = 0x20;
constexpr std::uint8_t kRestrictedFlag = 0x08;
constexpr std::uint8_t kPromptRequestFlag = 0x20;
constexpr std::uint8_t kHiddenInputFlags = 0xC0;
constexpr std::uint8_t kMixedCaseFlag = 0x20;

// Items, each a code, a 2-byte length counting the code and the length, and a payload.
constexpr std::uint8_t kItemsEnd = 0xFF;
constexpr std::int64_t kItemHeader = 3;
enum ItemCode : std::uint8_t {
    kDefaultItem = 1,
    kSpecialValuesItem = 2,
    kValuesItem = 3,
    kRelationsItem = 4,
    kPromptControlItem = 5,
    kChoicesTextItem = 6,
};
constexpr std::uint8_t kQuotedValue = 0x40;
constexpr std::uint8_t kPackedValue = 0x20;
constexpr std::int64_t kMappingWidth = 5;
constexpr std::uint8_t kDecimalType = 0x01;
constexpr const char* kUnquotedCharacters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789$#@_*.";

// A number of a *DEC entry is kept either as its source text (a pooled value, as a default
// keeps it, its packed form after it) or as its packed form alone (as RANGE and REL keep it).
// Source text is digits with a sign and a decimal point or comma; it holds at least one EBCDIC
// digit (F0 to F9), a byte no packed number holds, since no packed digit is F.
constexpr std::array<std::uint8_t, 4> kNumberMarks = {0x4E, 0x60, 0x4B, 0x6B};  // + - . ,
constexpr std::uint8_t kEbcdicZero = 0xF0;
constexpr std::uint8_t kEbcdicNine = 0xF9;
// Sign and point beside the digits.
constexpr std::int64_t kNumberTextMarks = 2;
constexpr std::uint8_t kLowestSign = 0x0A;

// Several parameters may share one chain of QUAL or ELEM entries (two PARMs of the same TYPE
// label), which is then read once for each; reads in all are bounded so that a hostile space
// cannot make sharing costly.
constexpr std::size_t kMostEntryReads = 1 << 16;

// Text entry: prompt width, message identifier (blank for literal text), 2 bytes, length, text.
constexpr std::int64_t kTextMessageIdAt = 2;
constexpr std::int64_t kMessageIdWidth = 7;
constexpr std::int64_t kTextLengthAt = 11;
constexpr std::int64_t kTextAt = 13;

// Prompt-control record: next, controlling parameter number, condition count, NBRTRUE relation
// and count, then one relation byte and value offset per condition.
constexpr std::int64_t kControlParameterAt = 2;
constexpr std::int64_t kConditionCountAt = 4;
constexpr std::int64_t kNumberTrueRelationAt = 6;
constexpr std::int64_t kNumberTrueCountAt = 7;
constexpr std::int64_t kConditionsAt = 9;
constexpr std::int64_t kConditionWidth = 3;
constexpr int kConditionRelationShift = 5;

// RANGE keeps its low value under greater-or-equal and its high value under less-or-equal.
constexpr std::uint8_t kGreaterOrEqual = 3;
constexpr std::uint8_t kLessOrEqual = 6;

std::string relationText(std::uint8_t mask) {
    static const char* const kNames[] = {"", "*GT", "*EQ", "*GE", "*LT", "*NE", "*LE", ""};
    return kNames[mask & 7];
}

class SpaceReader {
  public:
    SpaceReader(EbcdicTextConverter& converter, BigEndianReader space)
        : converter_(converter), space_(space) {}

    CommandDefinition definition() {
        CommandDefinition command;
        command.program = qualified(kProgramAt, kProgramLibraryAt);
        command.validityChecker = qualified(kCheckerAt, kCheckerLibraryAt);
        if (command.validityChecker.name == "*") {
            command.validityChecker = {};
        }
        command.messageFile = qualified(kMessageFileAt, kMessageFileLibraryAt);
        readText(space_.u16(kPromptAt), command.prompt, command.promptIsMessageId);
        std::int64_t trailer = space_.u16(kTrailerAt);
        if (trailer != 0) {
            command.helpPanelGroup =
                qualified(trailer + kHelpPanelGroupAt, trailer + kHelpPanelGroupLibraryAt);
            if (command.helpPanelGroup.name.starts_with("*")) {
                command.helpPanelGroup = {};
            } else {
                command.helpIdentifier = name(trailer + kHelpIdentifierAt);
            }
        }
        std::uint32_t count = space_.u16(kParameterCountAt);
        std::int64_t at = space_.u16(kFirstParameterAt);
        for (std::uint32_t i = 0; i < count && at != 0; ++i) {
            claim(at);
            CommandElement& parameter = command.parameters.emplace_back();
            parameter.kind = CommandElement::Kind::Parameter;
            parameter.keyword = name(at + kKeywordAt);
            numbers_[space_.u16(at + kParameterNumberAt)] = parameter.keyword;
            readEntry(at, kParameterItemsAt, parameter, 0);
            at = space_.u16(at + kNextAt);
        }
        if (command.parameters.size() != count || at != 0) {
            throw DecodingFailure("the parameter chain and its count disagree");
        }
        for (CommandElement& parameter : command.parameters) {
            nameControls(parameter);
        }
        return command;
    }

  private:
    std::string name(std::int64_t at) { return convertField(converter_, space_.at(at, kNameWidth), true); }

    QualifiedObjectName qualified(std::int64_t nameAt, std::int64_t libraryAt) {
        return {name(nameAt), name(libraryAt)};
    }

    // An entry on the way from the parameter chain down to the entry read now; one met again on
    // that way means the entries run in a circle. A chain of parts read under another parameter
    // before is left, not claimed.
    void claim(std::int64_t at) {
        if (at <= 0 || !path_.insert(at).second) {
            throw DecodingFailure("command entries run in a circle");
        }
        if (++entryReads_ > kMostEntryReads) {
            throw DecodingFailure("command entries are read more often than a definition needs");
        }
    }

    void readText(std::int64_t at, std::string& text, bool& isMessageId) {
        if (at == 0) {
            return;
        }
        std::string id = convertField(converter_, space_.at(at + kTextMessageIdAt, kMessageIdWidth), true);
        std::uint32_t length = space_.u16(at + kTextLengthAt);
        text = convertField(converter_, space_.at(at + kTextAt, length), true);
        isMessageId = text.empty() && !id.empty();
        if (isMessageId) {
            text = id;
        }
    }

    std::string pooledValue(std::int64_t at, std::uint8_t flag) {
        std::uint32_t length = space_.u16(at);
        std::string text = convertField(converter_, space_.at(at + 2, length), false);
        if ((flag & kQuotedValue) == 0) {
            return convertField(converter_, space_.at(at + 2, length), true);
        }
        std::string quoted = "'";
        for (char c : text) {
            quoted += c == '\'' ? std::string("''") : std::string(1, c);
        }
        return quoted + "'";
    }

    // A packed value of `digits` digits with `decimals` of them after the point.
    std::string packedValue(std::int64_t at, std::int32_t digits, std::int32_t decimals) {
        const std::int64_t width = digits / 2 + 1;
        std::span<const std::uint8_t> bytes = space_.at(at, width);
        std::string text;
        for (std::int64_t i = 0; i < width; ++i) {
            text += static_cast<char>('0' + (bytes[i] >> 4) % 10);
            if (i + 1 < width) {
                text += static_cast<char>('0' + (bytes[i] & 0x0F) % 10);
            }
        }
        const std::uint8_t sign = bytes[width - 1] & 0x0F;
        const std::size_t whole = text.size() - static_cast<std::size_t>(std::clamp(decimals, 0, digits));
        std::size_t first = text.find_first_not_of('0');
        first = std::min(first == std::string::npos ? whole : first, whole == 0 ? 0 : whole - 1);
        std::string number = text.substr(first, whole - first);
        if (whole < text.size()) {
            number += "." + text.substr(whole);
        }
        return (sign == 0x0D || sign == 0x0B ? "-" : "") + number;
    }

    void readEntry(std::int64_t at, std::int64_t itemsAt, CommandElement& entry, int depth) {
        std::uint8_t kind = space_.u8(at + kKindAt);
        entry.typeCode = space_.u8(at + kTypeAt);
        entry.length = static_cast<std::int32_t>(space_.u16(at + kLengthAt));
        entry.decimals = static_cast<std::int32_t>(space_.u16(at + kDecimalsAt));
        entry.minimum = static_cast<std::int32_t>(space_.u16(at + kMinimumAt));
        entry.maximum = static_cast<std::int32_t>(space_.u16(at + kMaximumAt));
        std::uint8_t valueFlags = space_.u8(at + kValueFlagsAt);
        std::uint8_t promptFlags = space_.u8(at + kPromptFlagsAt);
        entry.expression = (valueFlags & kExpressionFlag) != 0;
        entry.varying = (valueFlags & kVaryingFlag) != 0;
        entry.restricted = (valueFlags & kRestrictedFlag) != 0;
        entry.promptRequest = (promptFlags & kPromptRequestFlag) != 0;
        entry.hiddenInput = (space_.u8(at + kInputFlagsAt) & kHiddenInputFlags) == kHiddenInputFlags;
        entry.mixedCase = (space_.u8(at + kCaseFlagsAt) & kMixedCaseFlag) != 0;
        readText(space_.u16(at + kEntryPromptAt), entry.prompt, entry.promptIsMessageId);
        readItems(at + itemsAt, entry);
        if (kind == kListWrapper) {
            entry.notDecoded.push_back("list element wrapper");
            return;
        }
        if ((kind & kQualifierGroup) != 0 || (kind & kElementGroup) != 0) {
            entry.group = (kind & kQualifierGroup) != 0 ? CommandElement::Group::Qualifiers
                                                        : CommandElement::Group::Elements;
            readParts(space_.u16(at + kFirstPartAt), entry, depth + 1);
            return;
        }
        entry.type = typeName(entry.typeCode);
    }

    static std::optional<std::string> typeName(std::uint8_t code) {
        switch (code) {
            case 0x01:
                return "*DEC";
            case 0x04:
                return "*CHAR";
            case 0x05:
                return "*NAME";
            case 0x13:
                return "*PNAME";
            default:
                return std::nullopt;
        }
    }

    void readParts(std::int64_t at, CommandElement& group, int depth) {
        // Nesting deeper than CL allows (a list of qualified names inside a list) is not a
        // definition CRTCMD made.
        constexpr int kDeepestGroup = 4;
        if (depth > kDeepestGroup) {
            throw DecodingFailure("command groups nested too deep");
        }
        CommandElement::Kind kind = group.group == CommandElement::Group::Qualifiers
                                        ? CommandElement::Kind::Qualifier
                                        : CommandElement::Kind::Element;
        std::vector<std::int64_t> chain;
        while (at != 0) {
            claim(at);
            chain.push_back(at);
            CommandElement& part = group.parts.emplace_back();
            part.kind = kind;
            readEntry(at, kPartItemsAt, part, depth);
            at = space_.u16(at + kNextAt);
        }
        for (std::int64_t left : chain) {
            path_.erase(left);
        }
    }

    void readItems(std::int64_t at, CommandElement& entry) {
        while (space_.u8(at) != kItemsEnd) {
            std::uint8_t code = space_.u8(at);
            std::uint32_t length = space_.u16(at + 1);
            if (length < kItemHeader) {
                throw DecodingFailure("command item shorter than its header");
            }
            BigEndianReader item(space_.at(at + kItemHeader, length - kItemHeader));
            readItem(code, item, entry);
            at += length;
        }
    }

    void readItem(std::uint8_t code, const BigEndianReader& item, CommandElement& entry) {
        switch (code) {
            case kDefaultItem:
                entry.defaultValue = valueAt(item.u8(0), item.u16(1), entry);
                break;
            case kSpecialValuesItem:
                readMappings(item, entry);
                break;
            case kValuesItem:
                for (std::uint32_t i = 0, n = item.u16(0); i < n; ++i) {
                    entry.values.push_back(pooledValue(item.u16(2 + 2 * i), 0));
                }
                break;
            case kRelationsItem:
                readRelations(item, entry);
                break;
            case kPromptControlItem:
                readPromptControls(item.u16(0), entry);
                break;
            case kChoicesTextItem:
                break;
            default:
                entry.notDecoded.push_back("item " + std::to_string(code));
        }
    }

    std::string valueAt(std::uint8_t flag, std::int64_t at, const CommandElement& entry) {
        if ((flag & kPackedValue) != 0 && entry.typeCode == kDecimalType && (flag & kQuotedValue) == 0) {
            return numberAt(at, entry);
        }
        return pooledValue(at, flag);
    }

    // A RANGE or REL value keeps no flag saying it was quoted: it is quoted where CL needs the
    // quotes, for anything but a name, a special value or a number in upper case.
    std::string literalAt(std::int64_t at) {
        const std::string text = convertField(converter_, space_.at(at + 2, space_.u16(at)), false);
        const bool plain = !text.empty() && text.find_first_not_of(kUnquotedCharacters) == std::string::npos;
        return pooledValue(at, plain ? 0 : kQuotedValue);
    }

    // A number of a *DEC entry, kept as source text or as its packed form alone.
    std::string numberAt(std::int64_t at, const CommandElement& entry) {
        if (isNumberText(at, entry)) {
            return pooledValue(at, 0);
        }
        const std::int64_t width = entry.length / 2 + 1;
        std::span<const std::uint8_t> bytes = space_.at(at, width);
        for (std::int64_t i = 0; i < width; ++i) {
            const bool last = i + 1 == width;
            if ((bytes[i] >> 4) > 9 || (last ? (bytes[i] & 0x0F) < kLowestSign : (bytes[i] & 0x0F) > 9)) {
                throw DecodingFailure("a number is kept neither as text nor packed");
            }
        }
        return packedValue(at, entry.length, entry.decimals);
    }

    bool isNumberText(std::int64_t at, const CommandElement& entry) const {
        if (!space_.contains(at, 2)) {
            return false;
        }
        const std::int64_t length = space_.u16(at);
        if (length == 0 || length > entry.length + kNumberTextMarks || !space_.contains(at + 2, length)) {
            return false;
        }
        bool anyDigit = false;
        for (std::uint8_t byte : space_.at(at + 2, length)) {
            const bool digit = byte >= kEbcdicZero && byte <= kEbcdicNine;
            if (!digit && std::find(kNumberMarks.begin(), kNumberMarks.end(), byte) == kNumberMarks.end()) {
                return false;
            }
            anyDigit = anyDigit || digit;
        }
        return anyDigit;
    }

    void readMappings(const BigEndianReader& item, CommandElement& entry) {
        std::uint32_t count = item.u16(0);
        std::uint32_t singles = item.u16(2);
        for (std::uint32_t i = 0; i < count; ++i) {
            std::int64_t at = 4 + kMappingWidth * i;
            std::uint8_t flag = item.u8(at);
            std::int64_t from = item.u16(at + 1);
            std::int64_t to = item.u16(at + 3);
            CommandValueMapping mapping;
            mapping.from = pooledValue(from, 0);
            if (to == from) {
                mapping.to = mapping.from;
            } else if ((flag & kPackedValue) != 0 && (flag & kQuotedValue) == 0) {
                mapping.to = packedValue(to, entry.length, entry.decimals);
            } else {
                mapping.to = pooledValue(to, flag);
            }
            (i < singles ? entry.singleValues : entry.specialValues).push_back(mapping);
        }
    }

    void readRelations(const BigEndianReader& item, CommandElement& entry) {
        std::uint32_t count = item.u16(0);
        for (std::uint32_t i = 0; i < count; ++i) {
            std::uint8_t relation = item.u8(2 + 3 * i);
            const std::int64_t at = item.u16(3 + 3 * i);
            entry.relations.push_back({relationText(relation),
                                       entry.typeCode == kDecimalType ? numberAt(at, entry) : literalAt(at)});
        }
        entry.range = count == 2 && item.u8(2) == kGreaterOrEqual && item.u8(5) == kLessOrEqual;
    }

    // Several parameters may share one chain of records; the chain itself must end.
    void readPromptControls(std::int64_t at, CommandElement& entry) {
        std::set<std::int64_t> met;
        while (at != 0) {
            if (!met.insert(at).second) {
                throw DecodingFailure("prompt-control records run in a circle");
            }
            CommandPromptControl& control = entry.promptControls.emplace_back();
            controlNumbers_.push_back(space_.u16(at + kControlParameterAt));
            std::uint32_t conditions = space_.u16(at + kConditionCountAt);
            std::uint8_t numberTrue = space_.u8(at + kNumberTrueRelationAt) >> kConditionRelationShift;
            if (numberTrue != 0) {
                control.numberTrue = CommandRelation{relationText(numberTrue),
                                                     std::to_string(space_.u16(at + kNumberTrueCountAt))};
            }
            for (std::uint32_t i = 0; i < conditions; ++i) {
                std::int64_t condition = at + kConditionsAt + kConditionWidth * i;
                control.conditions.push_back({relationText(space_.u8(condition) >> kConditionRelationShift),
                                              pooledValue(space_.u16(condition + 1), 0)});
            }
            at = space_.u16(at + kNextAt);
        }
    }

    // The controlling parameter of each PMTCTL record, in reading order, named once all
    // parameters are known.
    void nameControls(CommandElement& entry) {
        for (CommandPromptControl& control : entry.promptControls) {
            auto known = numbers_.find(controlNumbers_.at(nextControl_++));
            control.controlKeyword = known == numbers_.end() ? std::string("*N") : known->second;
        }
        for (CommandElement& part : entry.parts) {
            nameControls(part);
        }
    }

    EbcdicTextConverter& converter_;
    BigEndianReader space_;
    std::set<std::int64_t> path_;
    std::size_t entryReads_ = 0;
    std::map<std::uint32_t, std::string> numbers_;
    std::vector<std::uint32_t> controlNumbers_;
    std::size_t nextControl_ = 0;
};

}  // namespace

CommandDefinition CommandReader::read(std::span<const std::uint8_t> objectData) {
    BigEndianReader data(objectData);
    std::uint64_t segment = (std::uint64_t{data.u32(kFirstSegmentAt + kSegmentAddressAt)} << 32) |
                            data.u32(kFirstSegmentAt + kSegmentAddressAt + 4);
    std::uint64_t space = (std::uint64_t{data.u32(kFirstSegmentAt + kSpaceAddressAt)} << 32) |
                          data.u32(kFirstSegmentAt + kSpaceAddressAt + 4);
    if (space < segment || space - segment >= objectData.size()) {
        throw DecodingFailure("the command's space lies outside its data");
    }
    std::int64_t start = kFirstSegmentAt + static_cast<std::int64_t>(space - segment);
    if (!data.contains(start, 1)) {
        throw DecodingFailure("the command's space lies outside its data");
    }
    SpaceReader reader(converter_, BigEndianReader(objectData.subspan(static_cast<std::size_t>(start))));
    return reader.definition();
}

}  // namespace quelvane
