#include "views/StreamFileView.h"

#include <algorithm>
#include <string>
#include <vector>

#include "conversion/CcsidText.h"

namespace quelvane {

namespace {

constexpr int kOffsetWidth = 80;
constexpr int kHexWidth = 340;
constexpr int kCharactersWidth = 140;
constexpr std::size_t kTabStop = 8;
constexpr std::size_t kHexGroup = 8;

// Line ends and the few control characters text files hold, per family.
constexpr std::uint8_t kAsciiLineFeed = 0x0A;
constexpr std::uint8_t kEbcdicNewLine = 0x15;
constexpr std::uint8_t kEbcdicLineFeed = 0x25;
constexpr std::uint8_t kCarriageReturn = 0x0D;
constexpr std::uint8_t kPcTab = 0x09;
constexpr std::uint8_t kAsciiEndOfFile = 0x1A;
constexpr std::uint8_t kAsciiFirstText = 0x20;
constexpr std::uint8_t kAsciiDelete = 0x7F;
constexpr std::uint8_t kEbcdicFirstText = 0x40;
constexpr std::uint8_t kEbcdicTab = 0x05;
constexpr std::uint8_t kFormFeed = 0x0C;

bool isTextControl(std::uint8_t byte, bool ebcdic) {
    if (ebcdic) {
        return byte == kEbcdicTab || byte == kEbcdicNewLine || byte == kEbcdicLineFeed ||
               byte == kCarriageReturn || byte == kFormFeed;
    }
    return byte == kPcTab || byte == kAsciiLineFeed || byte == kCarriageReturn || byte == kFormFeed ||
           byte == kAsciiEndOfFile;
}

bool isLineEnd(std::uint8_t byte, bool ebcdic) {
    return ebcdic ? byte == kEbcdicNewLine || byte == kEbcdicLineFeed : byte == kAsciiLineFeed;
}

// Tabs to spaces and any other control character to a space, so a line draws as one row.
std::string displayLine(const std::string& pcText) {
    std::string out;
    out.reserve(pcText.size());
    for (char c : pcText) {
        const auto byte = static_cast<std::uint8_t>(c);
        if (byte == kPcTab) {
            out.append(kTabStop - out.size() % kTabStop, ' ');
        } else {
            out += byte < kAsciiFirstText ? ' ' : c;
        }
    }
    return out;
}

class LineDecoder {
  public:
    LineDecoder(EbcdicTextConverter& ebcdic, std::int32_t pcCodePage, std::uint16_t ccsid, bool isEbcdic)
        : ebcdic_(ebcdic), isEbcdic_(isEbcdic), ascii_(isEbcdic ? 0 : ccsid, pcCodePage) {}

    std::string decode(std::span<const std::uint8_t> bytes) {
        if (!bytes.empty() && bytes.back() == kCarriageReturn) {
            bytes = bytes.first(bytes.size() - 1);
        }
        if (!isEbcdic_) {
            return displayLine(
                ascii_.toPcText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
        }
        std::vector<std::uint8_t> out(bytes.size(), ' ');
        if (!bytes.empty() && ebcdic_.ConvertEbcdicText(bytes.data(), bytes.size(), out.data()) != 0) {
            std::fill(out.begin(), out.end(), '?');
        }
        return displayLine(std::string(out.begin(), out.end()));
    }

  private:
    EbcdicTextConverter& ebcdic_;
    bool isEbcdic_;
    CcsidText ascii_;
};

void showText(ContentList& list, LineDecoder& decoder, std::uint16_t ccsid, bool ebcdic,
              std::span<const std::uint8_t> bytes, std::size_t limit) {
    list.addColumn("Text, CCSID " + std::to_string(ccsid), ContentList::kDefaultColumnWidth,
                   ContentList::Alignment::Left, ContentList::Sizing::Header);
    const std::span<const std::uint8_t> shown = bytes.first(std::min(bytes.size(), limit));
    std::size_t start = 0;
    for (std::size_t at = 0; at < shown.size(); ++at) {
        if (isLineEnd(shown[at], ebcdic)) {
            list.addRow(decoder.decode(shown.subspan(start, at - start)));
            start = at + 1;
        } else if (at - start >= StreamFileView::kLongestRow) {
            list.addRow(decoder.decode(shown.subspan(start, at - start)));
            start = at;
        }
    }
    if (start < shown.size()) {
        list.addRow(decoder.decode(shown.subspan(start)));
    }
    if (shown.size() < bytes.size()) {
        list.addRow(StreamFileView::cutLine(shown.size(), bytes.size()));
    }
}

std::string hexRow(std::span<const std::uint8_t> row) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (i != 0) {
            hex += i % kHexGroup == 0 ? "  " : " ";
        }
        hex += kDigits[row[i] >> 4];
        hex += kDigits[row[i] & 0x0F];
    }
    return hex;
}

// The characters column: EBCDIC data through the conversion, then anything but printable ASCII
// as a dot (a dump's bytes are not text, and a multi-byte page would run over the columns).
std::string characterRow(std::span<const std::uint8_t> row, EbcdicTextConverter& ebcdic, bool isEbcdic) {
    std::string text(row.begin(), row.end());
    if (isEbcdic) {
        std::vector<std::uint8_t> out(row.size(), '.');
        bool converted = ebcdic.ConvertEbcdicText(row.data(), row.size(), out.data()) == 0;
        text.assign(out.begin(), out.end());
        if (!converted) {
            text.assign(row.size(), '.');
        }
    }
    for (char& c : text) {
        const auto byte = static_cast<std::uint8_t>(c);
        if (byte < kAsciiFirstText || byte >= kAsciiDelete) {
            c = '.';
        }
    }
    return text;
}

void showHexDump(ContentList& list, EbcdicTextConverter& ebcdic, bool isEbcdic,
                 std::span<const std::uint8_t> bytes, std::size_t limit) {
    list.addColumn("Offset", kOffsetWidth, ContentList::Alignment::Left, ContentList::Sizing::Fixed);
    list.addColumn("Hex", kHexWidth, ContentList::Alignment::Left, ContentList::Sizing::Fixed);
    list.addColumn("Characters", kCharactersWidth, ContentList::Alignment::Left, ContentList::Sizing::Fixed);
    const std::size_t shown = std::min(bytes.size(), limit);
    char offset[24];
    for (std::size_t at = 0; at < shown; at += StreamFileView::kBytesPerRow) {
        std::span<const std::uint8_t> row =
            bytes.subspan(at, std::min(StreamFileView::kBytesPerRow, shown - at));
        std::snprintf(offset, sizeof offset, "%08zX", at);
        list.addRow(offset);
        list.appendCell(hexRow(row));
        list.appendCell(characterRow(row, ebcdic, isEbcdic));
    }
    if (shown < bytes.size()) {
        list.addRow(StreamFileView::cutLine(shown, bytes.size()));
    }
}

}  // namespace

StreamFileView::Form StreamFileView::formOf(std::optional<std::uint16_t> ccsid,
                                            std::span<const std::uint8_t> bytes) {
    const CcsidText::Family family = CcsidText::familyOf(ccsid);
    if (family == CcsidText::Family::Data) {
        return Form::HexDump;
    }
    const bool ebcdic = family == CcsidText::Family::Ebcdic;
    const std::span<const std::uint8_t> sample = bytes.first(std::min(bytes.size(), kSampleBytes));
    std::size_t controls = 0;
    for (std::uint8_t byte : sample) {
        if (byte == 0) {
            return Form::HexDump;
        }
        if (byte < (ebcdic ? kEbcdicFirstText : kAsciiFirstText) && !isTextControl(byte, ebcdic)) {
            ++controls;
        }
    }
    return controls * 100 > sample.size() * kControlPercent ? Form::HexDump : Form::Text;
}

void StreamFileView::show(ContentList& list, EbcdicTextConverter& ebcdic, std::int32_t pcCodePage,
                          std::optional<std::uint16_t> ccsid, std::span<const std::uint8_t> bytes,
                          const StreamFileLimits& limits) {
    list.clearRows();
    list.clearColumns();
    const bool isEbcdic = CcsidText::familyOf(ccsid) == CcsidText::Family::Ebcdic;
    if (formOf(ccsid, bytes) == Form::HexDump) {
        showHexDump(list, ebcdic, isEbcdic, bytes, limits.hexBytes);
        return;
    }
    LineDecoder decoder(ebcdic, pcCodePage, *ccsid, isEbcdic);
    showText(list, decoder, *ccsid, isEbcdic, bytes, limits.textBytes);
}

std::string StreamFileView::cutLine(std::size_t shown, std::size_t total) {
    return "... the first " + std::to_string(shown) + " of " + std::to_string(total) +
           " bytes are shown; export the file for all of it.";
}

}  // namespace quelvane
