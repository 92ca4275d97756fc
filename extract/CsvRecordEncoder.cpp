#include "extract/CsvRecordEncoder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string_view>

#include "views/FieldDecodingFailure.h"

namespace quelvane {

namespace {

// The byte that ends a text: the text stops before it (the pair's zero byte, a CCSID's NUL).
constexpr std::uint8_t kEnds = 1;
// A blank or a byte that gives nothing: trimmed from a text's end.
constexpr std::uint8_t kBlank = 2;
// A comma, double quote, CR or LF: the field is quoted.
constexpr std::uint8_t kQuote = 4;
// A byte that makes the general path read the text otherwise, wherever it stands.
constexpr std::uint8_t kDeclines = 8;
// A byte whose UTF-8 is not a single byte.
constexpr std::uint8_t kWide = 16;

constexpr std::uint64_t kEveryByte = 0x0101010101010101;
constexpr std::uint8_t kShiftOut = 0x0E;
// The bytes of a 65535 text that make it hex: controls, below the EBCDIC blank, not zero.
constexpr std::uint8_t kFirstControl = 0x01;
constexpr std::uint8_t kEbcdicBlank = 0x40;
constexpr std::string_view kQuotedBytes = ",\"\r\n";
constexpr std::string_view kRowEnd = "\r\n";
constexpr std::string_view kEmptyText = "\"\"";

// The bytes of `word` equal to zero: the lowest one set exactly, the higher ones maybe not.
std::uint64_t zeroBytes(std::uint64_t word) {
    return (word - kEveryByte) & ~word & (kEveryByte << 7);
}

char* put(char* out, std::string_view bytes) {
    std::memcpy(out, bytes.data(), bytes.size());
    return out + bytes.size();
}

}  // namespace

CsvRecordEncoder::CsvRecordEncoder(const SavedObject& file, std::size_t count, const PairByteTable* pairTable,
                                   FieldTextByCcsid* byCcsid, const std::vector<bool>& emptyQuoted)
    : plan_(file, count, pairTable), byCcsid_(byCcsid) {
    for (std::size_t i = 0; i < count; ++i) {
        const SavedField& saved = file.fields[i];
        Field field;
        field.saved = &saved;
        field.emptyQuoted = i < emptyQuoted.size() && emptyQuoted[i];
        if (saved.offset >= 0 && saved.length > 0) {
            field.offset = static_cast<std::size_t>(saved.offset);
            field.length = static_cast<std::size_t>(saved.length);
        }
        if (byCcsid != nullptr && FieldTextByCcsid::decidesText(saved)) {
            field.table = storedTable(saved, field);
        } else if (plan_.characterStep(i)) {
            if (tables_.empty()) {
                tables_.push_back(tableOfPair(*pairTable));
                tableSources_.emplace_back(pairTable, false);
            }
            field.table = tables_.front().get();
        } else if (plan_.longestText(i) > 0) {
            field.kind = Kind::plan;
            field.loaded = plan_.kindOf(i);
        }
        if (field.table != nullptr) {
            field.kind = Kind::text;
        }
        usable_ = usable_ && field.kind != Kind::general;
        fields_.push_back(field);
        values_.push_back({{}, field.loaded});
        longestRow_ += longestField(i) + 1;
    }
    longestRow_ += kRowEnd.size() + kEmptyText.size();
    usable_ = usable_ && longestRow_ <= OutputFile::kLongestRoom;
}

const CsvRecordEncoder::TextTable* CsvRecordEncoder::storedTable(const SavedField& saved, Field& field) {
    bool controlsGoHex = false;
    const StoredCcsidText::ByteTable* bytes = byCcsid_->byteTable(saved, field.fallback, controlsGoHex);
    if (bytes == nullptr) {
        return nullptr;
    }
    const auto key = std::make_pair(static_cast<const void*>(bytes), controlsGoHex);
    const auto known = std::find(tableSources_.begin(), tableSources_.end(), key);
    if (known != tableSources_.end()) {
        return tables_[static_cast<std::size_t>(known - tableSources_.begin())].get();
    }
    tables_.push_back(tableOfCcsid(*bytes, controlsGoHex));
    tableSources_.push_back(key);
    return tables_.back().get();
}

// The pair's text ends at the first zero byte, is trimmed of the PC blank's bytes, and is read
// by the general converter where it holds a shift-out anywhere (LoadedFieldPlan).
std::unique_ptr<CsvRecordEncoder::TextTable> CsvRecordEncoder::tableOfPair(const PairByteTable& pair) {
    auto table = std::make_unique<TextTable>();
    for (std::size_t host = 0; host < table->bytes.size(); ++host) {
        const PairByteTable::Utf8Bytes& utf8 = pair.utf8(static_cast<std::uint8_t>(host));
        TextByte& entry = table->bytes[host];
        std::memcpy(entry.bytes, utf8.bytes, PairByteTable::Utf8Bytes::kLongest);
        entry.length = utf8.length;
        addFlags(entry);
        entry.flags = static_cast<std::uint8_t>(entry.flags & kQuote);
        if (host == 0) {
            entry.flags |= kEnds;
        } else if (utf8.blank) {
            entry.flags |= kBlank;
        }
    }
    table->bytes[kShiftOut].flags |= kDeclines;
    table->declines = true;
    finish(*table);
    return table;
}

// A stored CCSID's text is the whole field converted, cut at its first NUL and trimmed of
// blanks (FieldTextByCcsid::decodeLoaded): a byte whose UTF-8 holds a NUL or a blank beside
// other bytes is declined rather than cut inside.
std::unique_ptr<CsvRecordEncoder::TextTable> CsvRecordEncoder::tableOfCcsid(
    const StoredCcsidText::ByteTable& bytes, bool controlsDecline) {
    auto table = std::make_unique<TextTable>();
    for (std::size_t host = 0; host < table->bytes.size(); ++host) {
        const StoredCcsidText::ByteUtf8& utf8 = bytes[host];
        TextByte& entry = table->bytes[host];
        static_assert(StoredCcsidText::ByteUtf8::kLongest == TextByte::kLongest);
        std::memcpy(entry.bytes, utf8.bytes, TextByte::kLongest);
        entry.length = utf8.length;
        addFlags(entry);
        const bool control = host >= kFirstControl && host < kEbcdicBlank;
        if (controlsDecline && control) {
            entry.flags |= kDeclines;
        }
        table->declines = table->declines || (entry.flags & kDeclines) != 0;
    }
    finish(*table);
    return table;
}

void CsvRecordEncoder::addFlags(TextByte& entry) {
    const std::string_view utf8(entry.bytes, entry.length);
    entry.flags = 0;
    if (utf8.find_first_of(kQuotedBytes) != std::string_view::npos) {
        entry.flags |= kQuote;
    }
    if (utf8 == std::string_view("\0", 1)) {
        entry.flags |= kEnds;
    } else if (utf8.empty() || utf8 == " ") {
        entry.flags |= kBlank;
    } else if (utf8.find_first_of(std::string_view(" \0", 2)) != std::string_view::npos) {
        entry.flags |= kDeclines;
    }
}

void CsvRecordEncoder::finish(TextTable& table) {
    int ends = 0;
    int blanks = 0;
    int declining = 0;
    for (std::size_t host = 0; host < table.bytes.size(); ++host) {
        TextByte& entry = table.bytes[host];
        if (entry.length != 1) {
            entry.flags |= kWide;
        }
        table.single[host] = entry.bytes[0];
        table.flags[host] = entry.flags;
        const auto byte = static_cast<int>(host);
        const auto one = [&](std::uint8_t flag, int& count, int& which) {
            if ((entry.flags & flag) != 0) {
                which = count++ == 0 ? byte : -1;
            }
        };
        one(kEnds, ends, table.ends);
        one(kBlank, blanks, table.blank);
        one(kDeclines, declining, table.declining);
    }
}

std::size_t CsvRecordEncoder::longestField(std::size_t field) const {
    if (fields_[field].kind == Kind::text) {
        // Quotes around, and each byte at most its longest entry (or a doubled quote); a whole
        // entry is copied even where fewer of its bytes count.
        return 2 + (fields_[field].length + 1) * TextByte::kLongest;
    }
    return std::max(plan_.longestText(field), kEmptyText.size());
}

char* CsvRecordEncoder::text(const Field& field, std::span<const std::uint8_t> record, char* out) const {
    const std::uint8_t* const bytes = record.data() + field.offset;
    const TextTable& table = *field.table;
    std::size_t end = field.length;
    // The bytes past the kept text are looked at for bytes that decline unless the scan did.
    bool lookPast = table.declines;
    if (table.ends >= 0) {
        const Scan scan = scanOf(bytes, field.length, table.ends, table.declining);
        if (scan.declines) {
            return nullptr;
        }
        end = scan.end;
        lookPast = lookPast && table.declining < 0;
    } else {
        end = endOf(table, bytes, field.length);
    }
    const std::size_t kept = keptOf(table, bytes, end);
    if (lookPast && declinesPast(table, bytes + kept, field.length - kept)) {
        return nullptr;
    }
    // Most texts are of bytes of one UTF-8 byte each, none quoted: each byte is written as
    // that, and what the bytes were is looked at once they are.
    std::uint8_t seen = 0;
    for (std::size_t i = 0; i < kept; ++i) {
        out[i] = table.single[bytes[i]];
        seen |= table.flags[bytes[i]];
    }
    if ((seen & kDeclines) != 0) {
        return nullptr;
    }
    if ((seen & (kQuote | kWide)) == 0) {
        return out + kept;
    }
    if ((seen & kQuote) == 0) {
        for (std::size_t i = 0; i < kept; ++i) {
            const TextByte& entry = table.bytes[bytes[i]];
            std::memcpy(out, entry.bytes, TextByte::kLongest);
            out += entry.length;
        }
        return out;
    }
    return quoted(table, {bytes, kept}, out);
}

// Where the first byte `ends` stands (the length where none does), and whether the byte
// `declining` (-1: none) stands anywhere: eight bytes at a time where the order of a word's bytes
// is that of memory.
CsvRecordEncoder::Scan CsvRecordEncoder::scanOf(const std::uint8_t* bytes, std::size_t length, int ends,
                                                int declining) {
    Scan scan{length, false};
    std::size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        const std::uint64_t endWord = kEveryByte * static_cast<std::uint64_t>(ends);
        const std::uint64_t declineWord = kEveryByte * static_cast<std::uint64_t>(std::max(declining, 0));
        for (std::uint64_t word = 0; i + sizeof word <= length; i += sizeof word) {
            std::memcpy(&word, bytes + i, sizeof word);
            if (declining >= 0 && zeroBytes(word ^ declineWord) != 0) {
                scan.declines = true;
                return scan;
            }
            const std::uint64_t found = zeroBytes(word ^ endWord);
            if (found != 0 && scan.end == length) {
                scan.end = i + static_cast<std::size_t>(std::countr_zero(found)) / 8;
            }
        }
    }
    for (; i < length; ++i) {
        if (bytes[i] == declining) {
            scan.declines = true;
            return scan;
        }
        if (bytes[i] == ends && scan.end == length) {
            scan.end = i;
        }
    }
    return scan;
}

// The text's length without the blanks that pad it, eight blanks at a time where one byte
// alone is blank.
std::size_t CsvRecordEncoder::keptOf(const TextTable& table, const std::uint8_t* bytes, std::size_t end) {
    std::size_t kept = end;
    if (table.blank >= 0) {
        const std::uint64_t blanks = kEveryByte * static_cast<std::uint64_t>(table.blank);
        std::uint64_t word = 0;
        while (kept >= sizeof word) {
            std::memcpy(&word, bytes + kept - sizeof word, sizeof word);
            if (word != blanks) {
                break;
            }
            kept -= sizeof word;
        }
    }
    while (kept > 0 && (table.flags[bytes[kept - 1]] & kBlank) != 0) {
        --kept;
    }
    return kept;
}

// Whether any of the bytes past the kept text declines.
bool CsvRecordEncoder::declinesPast(const TextTable& table, const std::uint8_t* bytes, std::size_t length) {
    if (table.declining >= 0) {
        return std::memchr(bytes, table.declining, length) != nullptr;
    }
    std::uint8_t seen = 0;
    for (std::size_t i = 0; i < length; ++i) {
        seen |= table.flags[bytes[i]];
    }
    return (seen & kDeclines) != 0;
}

char* CsvRecordEncoder::quoted(const TextTable& table, std::span<const std::uint8_t> bytes, char* out) {
    *out++ = '"';
    for (const std::uint8_t host : bytes) {
        const TextByte& entry = table.bytes[host];
        for (std::size_t k = 0; k < entry.length; ++k) {
            *out++ = entry.bytes[k];
            if (entry.bytes[k] == '"') {
                *out++ = '"';
            }
        }
    }
    *out++ = '"';
    return out;
}

std::size_t CsvRecordEncoder::endOf(const TextTable& table, const std::uint8_t* bytes, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        if ((table.flags[bytes[i]] & kEnds) != 0) {
            return i;
        }
    }
    return length;
}

bool CsvRecordEncoder::encode(std::span<const std::uint8_t> record, OutputFile& out) {
    if (!usable_) {
        return false;
    }
    try {
        char* const end = row(record, out.room(longestRow_));
        if (end == nullptr) {
            return false;
        }
        out.wrote(end);
        return true;
    } catch (const FieldDecodingFailure&) {
        // A date out of range: the general path raises it with its field.
        return false;
    }
}

char* CsvRecordEncoder::row(std::span<const std::uint8_t> record, char* at) {
    quoted_ = false;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        Field& field = fields_[i];
        if (i > 0) {
            *at++ = ',';
        }
        char* const start = at;
        if (field.kind == Kind::plan) {
            at = plan_.decodeInto(i, record, at);
        } else if (field.offset > record.size() || field.length > record.size() - field.offset) {
            return nullptr;
        } else {
            at = text(field, record, at);
            if (at != nullptr && !field.noted && byCcsid_ != nullptr) {
                byCcsid_->noteFallback(*field.saved, field.fallback);
                field.noted = true;
            }
            // An unquoted text never begins with a double quote: one makes it quoted.
            quoted_ = quoted_ || (at != nullptr && at > start && *start == '"');
        }
        if (at == nullptr) {
            return nullptr;
        }
        values_[i].text = std::string_view(start, static_cast<std::size_t>(at - start));
        if (at == start && (field.emptyQuoted || fields_.size() == 1)) {
            at = put(at, kEmptyText);
        }
    }
    return put(at, kRowEnd);
}

}  // namespace quelvane
