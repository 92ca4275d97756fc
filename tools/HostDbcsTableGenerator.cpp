// Writes views/HostDbcsTable.cpp: the double-byte symbol rows of IBM's Simplified Chinese host
// code (CCSID 935) mapped to GB2312 in EUC-CN form, taken from ICU's converter tables by way of
// Unicode. The hanzi rows 0x48A0 to 0x6C9F follow a fixed arithmetic rule and are not listed.
//
// A run of host codes whose assigned members all map to consecutive GB2312 codes (first GB2312
// code plus the distance from the run's first host code) becomes a range; host codes the host
// set leaves unassigned may sit inside a range, a code the host set assigns elsewhere may not.
// A run that holds one assigned code becomes a pair.
//
// Usage: HostDbcsTableGenerator            write the table to standard output
//        HostDbcsTableGenerator --check F  exit 1 unless F holds exactly what would be written

#include <unicode/ucnv.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The codes the lookup consults the table for: the ideographic space and the symbol rows up to
// the last code before the gap that precedes the hanzi.
constexpr int kSpaceCode = 0x4040;
constexpr int kFirstSymbolCode = 0x4141;
constexpr int kLastSymbolCode = 0x46EF;
constexpr int kLowestLowByte = 0x41;
constexpr int kHighestLowByte = 0xFD;

// GB2312 in EUC-CN form: rows 0xA1 to 0xF7, cells 0xA1 to 0xFE. ICU's EUC-CN table adds IBM's
// row 0xFE, which is not GB2312.
constexpr int kFirstGbByte = 0xA1;
constexpr int kLastGbRow = 0xF7;
constexpr int kLastGbCell = 0xFE;

constexpr char kShiftOut = 0x0E;
constexpr char kShiftIn = 0x0F;

struct Converters {
    UConverter* host = nullptr;
    UConverter* gb = nullptr;
};

struct Run {
    int firstHost;
    int lastHost;
    int firstGb;
    int assigned;
};

bool openConverters(Converters& converters) {
    UErrorCode status = U_ZERO_ERROR;
    converters.host = ucnv_open("ibm-935", &status);
    converters.gb = ucnv_open("EUC-CN", &status);
    ucnv_setToUCallBack(converters.host, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setFromUCallBack(converters.gb, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    if (U_FAILURE(status)) {
        std::cerr << "cannot open the ICU converters: " << u_errorName(status) << '\n';
        return false;
    }
    return true;
}

// The Unicode character ICU assigns to a host double-byte code, if any.
std::optional<UChar> hostCharacter(UConverter* host, int code) {
    const char source[] = {kShiftOut, static_cast<char>(code >> 8), static_cast<char>(code & 0xFF), kShiftIn};
    UChar unicode[4];
    UErrorCode status = U_ZERO_ERROR;
    ucnv_resetToUnicode(host);
    const int32_t count = ucnv_toUChars(host, unicode, 4, source, sizeof source, &status);
    if (U_FAILURE(status) || count != 1) {
        return std::nullopt;
    }
    return unicode[0];
}

std::optional<int> gbCode(UConverter* gb, UChar character) {
    char target[8];
    UErrorCode status = U_ZERO_ERROR;
    ucnv_resetFromUnicode(gb);
    const int32_t count = ucnv_fromUChars(gb, target, sizeof target, &character, 1, &status);
    if (U_FAILURE(status) || count != 2) {
        return std::nullopt;
    }
    const int row = static_cast<unsigned char>(target[0]);
    const int cell = static_cast<unsigned char>(target[1]);
    if (row < kFirstGbByte || row > kLastGbRow || cell < kFirstGbByte || cell > kLastGbCell) {
        return std::nullopt;
    }
    return row * 256 + cell;
}

bool consulted(int code) {
    const int low = code & 0xFF;
    return code == kSpaceCode || (code >= kFirstSymbolCode && code <= kLastSymbolCode &&
                                  low >= kLowestLowByte && low <= kHighestLowByte);
}

std::vector<Run> collectRuns(const Converters& converters) {
    std::vector<Run> runs;
    bool open = false;
    for (int code = kSpaceCode; code <= kLastSymbolCode; ++code) {
        if (!consulted(code)) {
            continue;
        }
        const std::optional<UChar> character = hostCharacter(converters.host, code);
        if (!character) {
            continue;
        }
        const std::optional<int> gb = gbCode(converters.gb, *character);
        if (!gb) {
            open = false;
            continue;
        }
        if (open && *gb - runs.back().firstGb == code - runs.back().firstHost) {
            runs.back().lastHost = code;
            ++runs.back().assigned;
        } else {
            runs.push_back({code, code, *gb, 1});
            open = true;
        }
    }
    return runs;
}

std::string hex4(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

std::string render(const std::vector<Run>& runs) {
    std::vector<const Run*> pairs;
    std::vector<const Run*> ranges;
    for (const Run& run : runs) {
        (run.assigned == 1 ? pairs : ranges).push_back(&run);
    }
    std::ostringstream out;
    out << "// Generated by tools/HostDbcsTableGenerator from ICU's tables for CCSID 935 and EUC-CN.\n"
           "// Regenerate instead of editing.\n\n"
           "#include \"views/HostDbcsTable.h\"\n\n"
           "namespace quelvane {\n\n"
        << "const std::array<HostDbcsPair, " << pairs.size() << "> HostDbcsPairs = {{\n";
    constexpr std::size_t kPairsPerLine = 5;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        out << (i % kPairsPerLine == 0 ? "    " : " ") << '{' << hex4(pairs[i]->firstHost) << ", "
            << hex4(pairs[i]->firstGb) << "},";
        if (i % kPairsPerLine == kPairsPerLine - 1 || i + 1 == pairs.size()) {
            out << '\n';
        }
    }
    out << "}};\n\n"
        << "const std::array<HostDbcsRange, " << ranges.size() << "> HostDbcsRanges = {{\n";
    constexpr std::size_t kRangesPerLine = 4;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        out << (i % kRangesPerLine == 0 ? "    " : " ") << '{' << hex4(ranges[i]->firstHost) << ", "
            << hex4(ranges[i]->lastHost) << ", " << hex4(ranges[i]->firstGb) << "},";
        if (i % kRangesPerLine == kRangesPerLine - 1 || i + 1 == ranges.size()) {
            out << '\n';
        }
    }
    out << "}};\n\n}  // namespace quelvane\n";
    return out.str();
}

}  // namespace

int main(int argc, char** argv) {
    Converters converters;
    if (!openConverters(converters)) {
        return 2;
    }
    const std::string table = render(collectRuns(converters));
    ucnv_close(converters.host);
    ucnv_close(converters.gb);

    if (argc == 3 && std::string(argv[1]) == "--check") {
        std::ifstream file(argv[2], std::ios::binary);
        const std::string committed{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        if (committed != table) {
            std::cerr << argv[2] << " differs from what ICU's tables give; regenerate it\n";
            return 1;
        }
        return 0;
    }
    if (argc != 1) {
        std::cerr << "usage: HostDbcsTableGenerator [--check FILE]\n";
        return 2;
    }
    std::cout << table;
    return 0;
}
