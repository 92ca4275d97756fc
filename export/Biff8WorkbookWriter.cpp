#include "export/Biff8WorkbookWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "export/AutomationFailure.h"

namespace quelvane {

namespace {

// Record types.
constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kInterfaceHdr = 0x00E1;
constexpr std::uint16_t kMms = 0x00C1;
constexpr std::uint16_t kInterfaceEnd = 0x00E2;
constexpr std::uint16_t kCodePage = 0x0042;
constexpr std::uint16_t kTabId = 0x013D;
constexpr std::uint16_t kWindowProtect = 0x0019;
constexpr std::uint16_t kProtect = 0x0012;
constexpr std::uint16_t kPassword = 0x0013;
constexpr std::uint16_t kBackup = 0x0040;
constexpr std::uint16_t kHideObj = 0x008D;
constexpr std::uint16_t kWindow1 = 0x003D;
constexpr std::uint16_t kDateMode = 0x0022;
constexpr std::uint16_t kPrecision = 0x000E;
constexpr std::uint16_t kBookBool = 0x00DA;
constexpr std::uint16_t kFont = 0x0031;
constexpr std::uint16_t kXf = 0x00E0;
constexpr std::uint16_t kStyle = 0x0293;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kCountry = 0x008C;
constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kExtSst = 0x00FF;
constexpr std::uint16_t kDefaultRowHeight = 0x0225;
constexpr std::uint16_t kDefColWidth = 0x0055;
constexpr std::uint16_t kColInfo = 0x007D;
constexpr std::uint16_t kDimensions = 0x0200;
constexpr std::uint16_t kRow = 0x0208;
constexpr std::uint16_t kBlank = 0x0201;
constexpr std::uint16_t kNumber = 0x0203;
constexpr std::uint16_t kLabelSst = 0x00FD;
constexpr std::uint16_t kWindow2 = 0x023E;

constexpr std::uint16_t kBiff8Version = 0x0600;
constexpr std::uint16_t kGlobalsSubstream = 0x0005;
constexpr std::uint16_t kWorksheetSubstream = 0x0010;
constexpr std::uint16_t kBuild = 0x0DBB;
constexpr std::uint16_t kBuildYear = 0x07CC;
constexpr std::uint32_t kLowestVersion = 0x0006;
constexpr std::uint16_t kUtf16CodePage = 1200;

// Fonts 0 to 3 must exist (index 4 is never used); all of them are the workbook's font.
constexpr int kFontRecords = 4;
constexpr std::uint16_t kAutomaticFontColour = 0x7FFF;
constexpr std::uint16_t kNormalWeight = 400;
constexpr std::uint16_t kBoldWeight = 700;
constexpr std::uint16_t kItalic = 0x0002;

// Cell formats: 15 style formats, the default cell format, then one per distinct style.
constexpr int kStyleXfs = 15;
constexpr std::uint16_t kDefaultCellXf = 15;
constexpr std::uint16_t kStyleXfFlags = 0xFFF5;  // locked, style, no parent
constexpr std::uint16_t kCellXfFlags = 0x0001;   // locked, cell, parent style 0
constexpr std::uint8_t kBottomAligned = 0x20;
constexpr std::uint8_t kUnusedStyleAttributes = 0xF4;
constexpr std::uint8_t kNumberFormatAttribute = 0x04;
constexpr std::uint8_t kBackgroundAttribute = 0x40;
constexpr std::uint8_t kColourAutomatic = 64;
constexpr std::uint8_t kColourSystemBackground = 65;
// Excel's ColorIndex n is palette entry n + 7 (entries 0 to 7 are the fixed colours).
constexpr std::int32_t kColorIndexOffset = 7;
constexpr std::uint32_t kFillPatternShift = 26;

constexpr std::uint16_t kDefaultColumnWidth = 8;
constexpr std::uint16_t kRowDefaultFlags = 0x0100;
constexpr std::uint16_t kRowCustomHeight = 0x0040;
constexpr std::uint16_t kRowHidden = 0x0020;
constexpr std::uint16_t kColumnHidden = 0x0001;
constexpr std::size_t kRowsPerBlock = 32;
constexpr std::uint16_t kWindow2Flags = 0x06B6;  // grid, headers, zeros, outline, selected, paged
constexpr double kTwipsPerPoint = 20;
// A line of text is about 4/3 of the font size; at 96 dots per inch a point is 4/3 pixel and a
// pixel 15 twips, and rows are whole pixels high.
constexpr double kLineHeightPerPoint = 4.0 / 3.0;
constexpr double kPixelsPerPoint = 4.0 / 3.0;
constexpr double kTwipsPerPixel = 15;

constexpr std::uint8_t kCompressedText = 0x00;
constexpr std::uint8_t kWideText = 0x01;
constexpr std::size_t kStringsPerBucketMinimum = 8;
constexpr std::size_t kMaximumBuckets = 128;

class Stream {
  public:
    explicit Stream(std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}

    void begin(std::uint16_t type) {
        put16(type);
        start_ = bytes_.size();
        put16(0);
    }
    void end() {
        const std::size_t length = bytes_.size() - start_ - 2;
        bytes_[start_] = static_cast<std::uint8_t>(length);
        bytes_[start_ + 1] = static_cast<std::uint8_t>(length >> 8);
    }
    // Body length of the open record so far.
    std::size_t length() const { return bytes_.size() - start_ - 2; }
    std::size_t position() const { return bytes_.size(); }
    // Offset of the current position from the open record's header.
    std::size_t recordOffset() const { return bytes_.size() - start_ + 2; }

    void put8(std::uint8_t value) { bytes_.push_back(value); }
    void put16(std::uint16_t value) { putLittleEndian(value, 2); }
    void put32(std::uint32_t value) { putLittleEndian(value, 4); }
    void putDouble(double value) {
        std::uint64_t bits = 0;
        static_assert(sizeof bits == sizeof value);
        std::memcpy(&bits, &value, sizeof bits);
        putLittleEndian(bits, 8);
    }
    void patch32(std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes_[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    }
    void record(std::uint16_t type, std::initializer_list<std::uint16_t> words) {
        begin(type);
        for (std::uint16_t word : words) {
            put16(word);
        }
        end();
    }
    // A text with a one-byte length, as sheet and font names are stored.
    void putShortText(const std::u16string& text) {
        put8(static_cast<std::uint8_t>(text.size()));
        put8(kWideText);
        for (char16_t c : text) {
            put16(c);
        }
    }

  private:
    // The low `size` bytes of `value`, least significant first, added in one step.
    void putLittleEndian(std::uint64_t value, std::size_t size) {
        std::uint8_t bytes[8];
        for (std::size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
        }
        bytes_.insert(bytes_.end(), bytes, bytes + size);
    }

    std::vector<std::uint8_t>& bytes_;
    std::size_t start_ = 0;
};

std::uint16_t defaultRowHeightTwips(const ExcelServerSheet::Font& font) {
    const double pixels = std::round(font.size * kLineHeightPerPoint * kPixelsPerPoint);
    return static_cast<std::uint16_t>(pixels * kTwipsPerPixel);
}

std::uint8_t paletteIndex(std::int32_t colorIndex) {
    if (colorIndex == ExcelServerSheet::kAutomatic || colorIndex == ExcelServerSheet::kNone) {
        return kColourAutomatic;
    }
    return static_cast<std::uint8_t>(colorIndex + kColorIndexOffset);
}

void writeBof(Stream& out, std::uint16_t substream) {
    out.begin(kBof);
    out.put16(kBiff8Version);
    out.put16(substream);
    out.put16(kBuild);
    out.put16(kBuildYear);
    out.put32(0);
    out.put32(kLowestVersion);
    out.end();
}

void writeFonts(Stream& out, const ExcelServerSheet::Font& font) {
    for (int i = 0; i < kFontRecords; ++i) {
        out.begin(kFont);
        out.put16(static_cast<std::uint16_t>(std::lround(font.size * kTwipsPerPoint)));
        out.put16(font.italic ? kItalic : 0);
        out.put16(kAutomaticFontColour);
        out.put16(font.bold ? kBoldWeight : kNormalWeight);
        out.put16(0);  // no super- or subscript
        out.put8(0);   // no underline
        out.put8(0);   // family
        out.put8(0);   // character set
        out.put8(0);
        out.putShortText(font.name);
        out.end();
    }
}

void writeXf(Stream& out, std::uint16_t flags, std::uint16_t numberFormat, std::uint8_t usedAttributes,
             std::uint32_t fillPattern, std::uint8_t foreground, std::uint8_t background) {
    out.begin(kXf);
    out.put16(0);  // font
    out.put16(numberFormat);
    out.put16(flags);
    out.put8(kBottomAligned);
    out.put8(0);  // rotation
    out.put8(0);  // indent
    out.put8(usedAttributes);
    out.put32(0);  // borders
    out.put32(fillPattern << kFillPatternShift);
    out.put16(static_cast<std::uint16_t>(foreground | (background << 7)));
    out.end();
}

void writeXfs(Stream& out, const std::vector<ExcelServerSheet::Style>& styles) {
    writeXf(out, kStyleXfFlags, 0, 0, 0, kColourAutomatic, kColourSystemBackground);
    for (int i = 1; i < kStyleXfs; ++i) {
        writeXf(out, kStyleXfFlags, 0, kUnusedStyleAttributes, 0, kColourAutomatic, kColourSystemBackground);
    }
    writeXf(out, kCellXfFlags, 0, 0, 0, kColourAutomatic, kColourSystemBackground);
    for (std::size_t i = 1; i < styles.size(); ++i) {
        const ExcelServerSheet::Style& style = styles[i];
        const std::uint8_t numberAttribute = style.numberFormat != 0 ? kNumberFormatAttribute : 0;
        if (style.fill.pattern == ExcelServerSheet::kNone) {
            writeXf(out, kCellXfFlags, style.numberFormat, numberAttribute, 0, kColourAutomatic,
                    kColourSystemBackground);
        } else {
            // A solid fill shows its foreground colour: the cell's ColorIndex.
            writeXf(out, kCellXfFlags, style.numberFormat, numberAttribute | kBackgroundAttribute, 1,
                    paletteIndex(style.fill.colorIndex), paletteIndex(style.fill.patternColorIndex));
        }
    }
}

bool needsWideText(std::u16string_view text) {
    return std::any_of(text.begin(), text.end(), [](char16_t c) { return c > 0xFF; });
}

// The shared string table, split into CONTINUE records at the record size limit, followed by
// the EXTSST index that points at every bucket's first string.
// How many cells of the sheet refer to a shared string.
std::uint32_t textReferences(const ExcelServerSheet& sheet) {
    std::uint32_t references = 0;
    for (const auto& row : sheet.rows()) {
        references += static_cast<std::uint32_t>(std::count_if(
            row.cells.begin(), row.cells.end(),
            [](const ExcelServerSheet::Cell& cell) { return cell.kind == ExcelServerSheet::Kind::Text; }));
    }
    return references;
}

// The characters of one shared string after its length and option byte, continued in further
// records where the record fills.
void writeStringCharacters(Stream& out, std::u16string_view text, bool wide) {
    const std::size_t charSize = wide ? 2 : 1;
    std::size_t written = 0;
    while (written < text.size()) {
        std::size_t room = (Biff8WorkbookWriter::kMaximumRecordData - out.length()) / charSize;
        if (room == 0) {
            // A string continued in the next record repeats its option byte there.
            out.end();
            out.begin(kContinue);
            out.put8(wide ? kWideText : kCompressedText);
            room = (Biff8WorkbookWriter::kMaximumRecordData - out.length()) / charSize;
        }
        const std::size_t take = std::min(room, text.size() - written);
        for (std::size_t i = written; i < written + take; ++i) {
            if (wide) {
                out.put16(text[i]);
            } else {
                out.put8(static_cast<std::uint8_t>(text[i]));
            }
        }
        written += take;
    }
}

// Where a bucket of the shared-string table starts: the stream position of its first string
// and that string's offset in its record.
struct StringBucket {
    std::uint32_t streamPosition;
    std::uint16_t recordOffset;
};

void writeStringIndex(Stream& out, std::size_t perBucket, const std::vector<StringBucket>& buckets) {
    out.begin(kExtSst);
    out.put16(static_cast<std::uint16_t>(perBucket));
    for (const StringBucket& bucket : buckets) {
        out.put32(bucket.streamPosition);
        out.put16(bucket.recordOffset);
        out.put16(0);
    }
    out.end();
}

void writeSharedStrings(Stream& out, const ExcelServerSheet& sheet) {
    const auto& strings = sheet.strings();
    const std::size_t perBucket =
        std::max(kStringsPerBucketMinimum, (strings.size() + kMaximumBuckets - 1) / kMaximumBuckets);
    std::vector<StringBucket> buckets;

    out.begin(kSst);
    out.put32(textReferences(sheet));
    out.put32(static_cast<std::uint32_t>(strings.size()));
    for (std::size_t index = 0; index < strings.size(); ++index) {
        const std::u16string_view text = strings[index];
        const bool wide = needsWideText(text);
        const std::size_t charSize = wide ? 2 : 1;
        if (Biff8WorkbookWriter::kMaximumRecordData - out.length() < 3 + charSize) {
            out.end();
            out.begin(kContinue);
        }
        if (index % perBucket == 0) {
            buckets.push_back(
                {static_cast<std::uint32_t>(out.position()), static_cast<std::uint16_t>(out.recordOffset())});
        }
        out.put16(static_cast<std::uint16_t>(text.size()));
        out.put8(wide ? kWideText : kCompressedText);
        writeStringCharacters(out, text, wide);
    }
    out.end();
    writeStringIndex(out, perBucket, buckets);
}

void writeColumnWidths(Stream& out, const ExcelServerSheet& sheet) {
    const auto& widths = sheet.columnWidths();
    for (std::size_t column = 0; column < widths.size(); ++column) {
        if (widths[column] < 0) {
            continue;
        }
        out.begin(kColInfo);
        out.put16(static_cast<std::uint16_t>(column));
        out.put16(static_cast<std::uint16_t>(column));
        out.put16(static_cast<std::uint16_t>(widths[column]));
        out.put16(kDefaultCellXf);
        out.put16(widths[column] == 0 ? kColumnHidden : 0);
        out.put16(0);
        out.end();
    }
}

void writeDimensions(Stream& out, const ExcelServerSheet& sheet) {
    std::uint32_t firstRow = 0;
    std::uint32_t endRow = 0;
    std::uint16_t firstColumn = 0;
    std::uint16_t endColumn = 0;
    bool any = false;
    const auto& rows = sheet.rows();
    for (std::uint32_t r = 0; r < rows.size(); ++r) {
        const auto& cells = rows[r].cells;
        if (cells.empty()) {
            continue;
        }
        if (!any) {
            firstRow = r;
            firstColumn = cells.front().column;
            any = true;
        }
        endRow = r + 1;
        firstColumn = std::min(firstColumn, cells.front().column);
        endColumn = std::max<std::uint16_t>(endColumn, cells.back().column + 1);
    }
    out.begin(kDimensions);
    out.put32(firstRow);
    out.put32(endRow);
    out.put16(firstColumn);
    out.put16(endColumn);
    out.put16(0);
    out.end();
}

bool rowIsWritten(const ExcelServerSheet::Row& row) {
    return !row.cells.empty() || row.heightTwips != ExcelServerSheet::kDefaultHeight;
}

void writeRow(Stream& out, std::uint32_t index, const ExcelServerSheet::Row& row,
              std::uint16_t defaultHeight) {
    const bool custom = row.heightTwips != ExcelServerSheet::kDefaultHeight;
    std::uint16_t flags = kRowDefaultFlags;
    if (custom) {
        flags |= kRowCustomHeight;
        if (row.heightTwips == 0) {
            flags |= kRowHidden;
        }
    }
    out.begin(kRow);
    out.put16(static_cast<std::uint16_t>(index));
    out.put16(row.cells.empty() ? 0 : row.cells.front().column);
    out.put16(row.cells.empty() ? 0 : static_cast<std::uint16_t>(row.cells.back().column + 1));
    out.put16(custom ? row.heightTwips : defaultHeight);
    out.put16(0);
    out.put16(0);
    out.put16(flags);
    out.put16(kDefaultCellXf);
    out.end();
}

void writeCells(Stream& out, std::uint32_t index, const ExcelServerSheet::Row& row) {
    for (const ExcelServerSheet::Cell& cell : row.cells) {
        const auto xf = static_cast<std::uint16_t>(kDefaultCellXf + cell.style);
        switch (cell.kind) {
            case ExcelServerSheet::Kind::Blank:
                out.begin(kBlank);
                break;
            case ExcelServerSheet::Kind::Number:
                out.begin(kNumber);
                break;
            case ExcelServerSheet::Kind::Text:
                out.begin(kLabelSst);
                break;
        }
        out.put16(static_cast<std::uint16_t>(index));
        out.put16(cell.column);
        out.put16(xf);
        if (cell.kind == ExcelServerSheet::Kind::Number) {
            out.putDouble(cell.number);
        } else if (cell.kind == ExcelServerSheet::Kind::Text) {
            out.put32(cell.string);
        }
        out.end();
    }
}

// Rows go in blocks of 32: the ROW records of the block, then the cells of those rows.
void writeRows(Stream& out, const ExcelServerSheet& sheet) {
    const auto& rows = sheet.rows();
    const std::uint16_t defaultHeight = defaultRowHeightTwips(sheet.font);
    for (std::size_t blockStart = 0; blockStart < rows.size(); blockStart += kRowsPerBlock) {
        const std::size_t blockEnd = std::min(rows.size(), blockStart + kRowsPerBlock);
        for (std::size_t r = blockStart; r < blockEnd; ++r) {
            if (rowIsWritten(rows[r])) {
                writeRow(out, static_cast<std::uint32_t>(r), rows[r], defaultHeight);
            }
        }
        for (std::size_t r = blockStart; r < blockEnd; ++r) {
            writeCells(out, static_cast<std::uint32_t>(r), rows[r]);
        }
    }
}

void writeWorksheet(Stream& out, const ExcelServerSheet& sheet) {
    writeBof(out, kWorksheetSubstream);
    out.record(kDefaultRowHeight, {0, defaultRowHeightTwips(sheet.font)});
    out.record(kDefColWidth, {kDefaultColumnWidth});
    writeColumnWidths(out, sheet);
    writeDimensions(out, sheet);
    writeRows(out, sheet);
    out.begin(kWindow2);
    out.put16(kWindow2Flags);
    out.put16(0);  // top row
    out.put16(0);  // left column
    out.put32(kColourAutomatic);
    out.put16(0);
    out.put16(0);
    out.put32(0);
    out.end();
    out.record(kEof, {});
}

}  // namespace

std::vector<std::uint8_t> Biff8WorkbookWriter::write(const ExcelServerSheet& sheet,
                                                     const std::u16string& sheetName) {
    std::vector<std::uint8_t> bytes;
    Stream out(bytes);

    writeBof(out, kGlobalsSubstream);
    out.record(kInterfaceHdr, {kUtf16CodePage});
    out.record(kMms, {0});
    out.record(kInterfaceEnd, {});
    out.record(kCodePage, {kUtf16CodePage});
    out.record(kTabId, {1});
    out.record(kWindowProtect, {0});
    out.record(kProtect, {0});
    out.record(kPassword, {0});
    out.record(kBackup, {0});
    out.record(kHideObj, {0});
    // Window position and size in twips, tab bar ratio; first sheet active and selected.
    out.record(kWindow1, {0x0168, 0x001E, 0x3A98, 0x2328, 0x0038, 0, 0, 1, 0x0258});
    out.record(kDateMode, {0});
    out.record(kPrecision, {1});
    out.record(kBookBool, {0});
    writeFonts(out, sheet.font);
    writeXfs(out, sheet.styles());
    out.record(kStyle, {0x8000, 0xFF00});  // built-in style Normal on style format 0
    out.begin(kBoundSheet);
    const std::size_t sheetOffsetAt = out.position();
    out.put32(0);
    out.put16(0);  // visible worksheet
    out.putShortText(sheetName);
    out.end();
    out.record(kCountry, {1, 1});
    writeSharedStrings(out, sheet);
    out.record(kEof, {});

    if (bytes.size() > 0xFFFFFFFFu) {
        throw AutomationFailure("The workbook is too large");
    }
    out.patch32(sheetOffsetAt, static_cast<std::uint32_t>(bytes.size()));
    writeWorksheet(out, sheet);
    return bytes;
}

}  // namespace quelvane
