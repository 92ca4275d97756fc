#include "describe/LogicalFileReader.h"

#include "describe/ObjectData.h"
#include "savefile/BigEndianReader.h"
#include "savefile/BlockFile.h"
#include "savefile/EbcdicField.h"
#include "savefile/LibraryOffsets.h"

namespace quelvane {

namespace {

// The area prefix: provisional member count, area length, 8 unused bytes.
constexpr std::int64_t kPrefixSize = 16;
constexpr std::int64_t kAreaLengthAt = 4;

// Area header, after the prefix.
constexpr std::int64_t kFileFlagsAt = 0x30;
constexpr std::uint8_t kLogicalFlag = 0x20;
constexpr std::uint8_t kKeyedFlag = 0x02;
constexpr std::int64_t kBasedOnCountAt = 0x36;
constexpr std::int64_t kUniqueFlagsAt = 0x3C;
constexpr std::uint8_t kUniqueFlag = 0x10;
constexpr std::int64_t kKeyListEndAt = 0x17C;
constexpr std::int64_t kSelectOmitAt = 0x180;
constexpr std::int64_t kKeyListAt = 0x184;
constexpr std::int64_t kListBias = 0x30;
constexpr std::int64_t kSqlTextAt = 0x3CC;
constexpr std::int64_t kSqlLengthAt = kSqlTextAt - 4;
// An SQL index keeps its SQL name in a record after the key and based-on lists: a u16 record
// length (the name's length and a 16-byte head), the name's length again at +4, the name at +16.
constexpr std::int64_t kIndexNameRecordAt = 0x460;
constexpr std::int64_t kIndexNameLengthAt = 4;
constexpr std::int64_t kIndexNameHead = 16;
constexpr std::int64_t kLongestSqlName = 128;

// Key entry.
constexpr std::int64_t kKeyEntrySize = 16;
constexpr std::int64_t kKeyKindAt = 10;
constexpr std::uint8_t kNoneKey = 0x02;
constexpr std::int64_t kKeyFlagsAt = 13;
constexpr std::uint8_t kDescendFlag = 0x80;
constexpr std::uint8_t kAbsoluteFlag = 0x20;
constexpr std::uint8_t kDigitFlag = 0x04;

// Based-on entry.
constexpr std::int64_t kBasedOnEntrySize = 128;
constexpr std::int64_t kBasedOnFileAt = 48;
constexpr std::int64_t kBasedOnLibraryAt = 58;
constexpr std::int64_t kBasedOnFormatAt = 68;

// Select/omit entry: length, rule, test, field, 00, value count, a byte, 00 00, the values;
// each value: length, flags, 00 00, the literal.
constexpr std::int64_t kRuleAt = 2;
constexpr std::int64_t kTestAt = 3;
constexpr std::int64_t kRuleFieldAt = 5;
constexpr std::int64_t kValueCountAt = 16;
constexpr std::int64_t kValuesAt = 20;
constexpr std::int64_t kValueTextAt = 6;

constexpr std::int64_t kNameWidth = 10;
// Stands for a padding key entry until the groups are split; no field can be named so.
constexpr const char* kPadding = " ";

}  // namespace

std::optional<std::vector<std::uint8_t>> LogicalFileReader::memberArea(BlockSource& source,
                                                                       const SavedPart& part,
                                                                       const SavedObject& object) {
    const std::int64_t block = LibraryOffsets::libraryBlockIndex(part.libraryBlock);
    const std::int64_t offset = LibraryOffsets::bodyOffset(part.descriptorOffset, object.memberAreaOffset);
    if (block < 0 || object.memberAreaOffset <= 0) {
        return std::nullopt;
    }
    // The joined bodies from the library descriptor's block, read as far as the file goes.
    ObjectData bodies(source, block - 1, source.size() / BlockFile::kBlockSize - block + 1);
    std::vector<std::uint8_t> prefix = bodies.read(offset, kPrefixSize);
    if (static_cast<std::int64_t>(prefix.size()) < kPrefixSize) {
        return std::nullopt;
    }
    const std::int64_t length = BigEndianReader(prefix).u32(kAreaLengthAt);
    if (length <= 0 || length > kLargestArea) {
        return std::nullopt;
    }
    return bodies.read(offset + kPrefixSize, length);
}

// The SQL name of an index, or nothing when the record after the lists is not one: a DDS
// logical file leaves it zero.
std::string LogicalFileReader::indexName(const BigEndianReader& data) {
    if (!data.contains(kIndexNameRecordAt, kIndexNameHead)) {
        return {};
    }
    const std::int64_t length = std::int64_t{data.u16(kIndexNameRecordAt)} - kIndexNameHead;
    if (length <= 0 || length > kLongestSqlName ||
        data.u8(kIndexNameRecordAt + kIndexNameLengthAt) != length ||
        !data.contains(kIndexNameRecordAt + kIndexNameHead, length)) {
        return {};
    }
    return convertField(converter_, data.at(kIndexNameRecordAt + kIndexNameHead, length), true);
}

std::string LogicalFileReader::name(const BigEndianReader& data, std::int64_t at) {
    return convertField(converter_, data.at(at, kNameWidth), true);
}

LogicalFileDescription LogicalFileReader::read(std::span<const std::uint8_t> area) {
    BigEndianReader data(area);
    LogicalFileDescription file;
    const std::uint8_t flags = data.u8(kFileFlagsAt);
    if ((flags & kLogicalFlag) == 0) {
        throw DecodingFailure("the member area is not a logical file's");
    }
    const bool keyed = (flags & kKeyedFlag) != 0;
    file.unique = (data.u8(kUniqueFlagsAt) & kUniqueFlag) != 0;
    const std::int64_t keysStart = data.u32(kKeyListAt) + kListBias;
    const std::int64_t keysEnd = data.u32(kKeyListEndAt) + kListBias;
    const std::uint32_t basedOnCount = data.u16(kBasedOnCountAt);
    if (keysEnd < keysStart || !data.contains(keysStart, keysEnd - keysStart) ||
        !data.contains(keysEnd, std::int64_t{basedOnCount} * kBasedOnEntrySize)) {
        throw DecodingFailure("the key or based-on list leaves the member area");
    }
    file.formats = formatsOf(basedOnList(data, keysEnd, basedOnCount),
                             keyed ? keyList(data, keysStart, keysEnd) : std::vector<LogicalFileKey>());
    const std::int64_t selectOmit = data.u32(kSelectOmitAt);
    if (selectOmit != 0) {
        file.formats.front().selectOmit = selectOmitRules(data, selectOmit + kListBias, keysStart);
    }
    if (keyed && keysEnd + std::int64_t{basedOnCount} * kBasedOnEntrySize <= kIndexNameRecordAt) {
        file.indexName = indexName(data);
    }
    if (!keyed && data.contains(kSqlLengthAt, 4)) {
        std::int64_t length = data.u32(kSqlLengthAt);
        if (length > 0 && data.contains(kSqlTextAt, length)) {
            file.sqlText = convertField(converter_, data.at(kSqlTextAt, length), true);
        }
    }
    return file;
}

std::vector<LogicalFileBasedOn> LogicalFileReader::basedOnList(const BigEndianReader& data, std::int64_t at,
                                                               std::uint32_t count) {
    std::vector<LogicalFileBasedOn> basedOn;
    for (std::uint32_t i = 0; i < count; ++i, at += kBasedOnEntrySize) {
        basedOn.push_back({name(data, at + kBasedOnFileAt), name(data, at + kBasedOnLibraryAt),
                           name(data, at + kBasedOnFormatAt)});
    }
    return basedOn;
}

std::vector<LogicalFileKey> LogicalFileReader::keyList(const BigEndianReader& data, std::int64_t start,
                                                       std::int64_t end) {
    std::vector<LogicalFileKey> keys;
    for (std::int64_t at = start; at + kKeyEntrySize <= end; at += kKeyEntrySize) {
        std::uint8_t keyFlags = data.u8(at + kKeyFlagsAt);
        // A blank name is K *NONE when so marked, else the padding of a format's shorter group.
        std::string field = name(data, at);
        if (field.empty() && data.u8(at + kKeyKindAt) != kNoneKey) {
            field = kPadding;
        }
        keys.push_back({field, (keyFlags & kDescendFlag) != 0, (keyFlags & kAbsoluteFlag) != 0,
                        (keyFlags & kDigitFlag) != 0});
    }
    return keys;
}

// A multi-format file keeps one based-on entry and one equal group of keys per format; a join
// view keeps one format over several files, each entry naming it again.
std::vector<LogicalFileFormat> LogicalFileReader::formatsOf(const std::vector<LogicalFileBasedOn>& basedOn,
                                                            const std::vector<LogicalFileKey>& keys) {
    const std::size_t count = basedOn.size();
    bool formatPerEntry = count > 1 && !basedOn[1].format.empty() && basedOn[1].format != basedOn[0].format &&
                          keys.size() % count == 0;
    auto addKeys = [&](LogicalFileFormat& format, std::size_t from, std::size_t to) {
        for (std::size_t k = from; k < to; ++k) {
            if (keys[k].field != kPadding) {
                format.keys.push_back(keys[k]);
            }
        }
    };
    std::vector<LogicalFileFormat> formats;
    if (formatPerEntry) {
        std::size_t group = keys.size() / count;
        for (std::size_t i = 0; i < count; ++i) {
            LogicalFileFormat& format = formats.emplace_back();
            format.name = basedOn[i].format;
            format.basedOn.push_back(basedOn[i]);
            addKeys(format, i * group, (i + 1) * group);
        }
    } else {
        LogicalFileFormat& format = formats.emplace_back();
        format.name = basedOn.empty() ? std::string() : basedOn.front().format;
        format.basedOn = basedOn;
        addKeys(format, 0, keys.size());
    }
    return formats;
}

std::vector<SelectOmitRule> LogicalFileReader::selectOmitRules(const BigEndianReader& data, std::int64_t at,
                                                               std::int64_t end) {
    std::vector<SelectOmitRule> rules;
    while (at < end) {
        std::uint32_t length = data.u16(at);
        if (length < kValuesAt || !data.contains(at, length)) {
            throw DecodingFailure("a select/omit rule leaves its list");
        }
        SelectOmitRule& rule = rules.emplace_back();
        rule.rule = convertField(converter_, data.at(at + kRuleAt, 1), false) == "O" ? 'O' : 'S';
        rule.test = convertField(converter_, data.at(at + kTestAt, 2), true);
        rule.field = name(data, at + kRuleFieldAt);
        std::int64_t value = at + kValuesAt;
        for (std::uint32_t v = 0, n = data.u8(at + kValueCountAt); v < n; ++v) {
            std::uint32_t valueLength = data.u16(value);
            if (valueLength < kValueTextAt || value + valueLength > at + length) {
                throw DecodingFailure("a select/omit value leaves its rule");
            }
            rule.values.push_back(
                convertField(converter_, data.at(value + kValueTextAt, valueLength - kValueTextAt), true));
            value += valueLength;
        }
        at += length;
        // ALL ends the rules: DDS allows it only last, and the compiler ends the select rules
        // with an omit of all.
        if (rule.test == "AL") {
            break;
        }
    }
    return rules;
}

std::string LogicalFileReader::indexStatement(const LogicalFileDescription& file) {
    std::string statement = file.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ";
    statement += file.indexName + " ON ";
    std::string keys;
    if (!file.formats.empty()) {
        const LogicalFileFormat& format = file.formats.front();
        if (!format.basedOn.empty()) {
            const LogicalFileBasedOn& on = format.basedOn.front();
            statement += on.library.empty() ? on.file : on.library + "." + on.file;
        }
        for (const LogicalFileKey& key : format.keys) {
            keys += (keys.empty() ? "" : ", ") + key.field + (key.descending ? " DESC" : "");
        }
    }
    return statement + " (" + keys + ")";
}

std::vector<std::string> LogicalFileReader::lines(const LogicalFileDescription& file) {
    if (!file.sqlText.empty()) {
        return {file.sqlText};
    }
    if (!file.indexName.empty()) {
        return {indexStatement(file)};
    }
    auto column = [](std::string text, std::size_t width) {
        text.resize(std::max(text.size(), width), ' ');
        return text;
    };
    std::vector<std::string> out;
    if (file.unique) {
        out.push_back(column("     A", 44) + "UNIQUE");
    }
    for (const LogicalFileFormat& format : file.formats) {
        std::string pfile;
        for (const LogicalFileBasedOn& on : format.basedOn) {
            pfile += (pfile.empty() ? "" : " ") + (on.library.empty() ? on.file : on.library + "/" + on.file);
        }
        out.push_back(column(column("     A", 16) + "R " + format.name, 44) + "PFILE(" + pfile + ")");
        for (const LogicalFileKey& key : format.keys) {
            std::string line =
                column(column("     A", 16) + "K " + (key.field.empty() ? "*NONE" : key.field), 44);
            line += key.descending ? "DESCEND " : "";
            line += key.absoluteValue ? "ABSVAL " : "";
            line += key.digit ? "DIGIT " : "";
            out.push_back(line.substr(0, line.find_last_not_of(' ') + 1));
        }
        for (const SelectOmitRule& rule : format.selectOmit) {
            std::string values;
            for (const std::string& v : rule.values) {
                values += (values.empty() ? "" : " ") + v;
            }
            std::string line = column("     A", 16) + std::string(1, rule.rule);
            if (rule.test == "AL") {
                out.push_back(column(line, 44) + "ALL");
                continue;
            }
            line = column(line + " " + rule.field, 44);
            line += rule.test == "VA" ? "VALUES(" + values + ")" : "COMP(" + rule.test + " " + values + ")";
            out.push_back(line);
        }
    }
    return out;
}

}  // namespace quelvane
