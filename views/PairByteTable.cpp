#include "views/PairByteTable.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "views/FieldDecoder.h"

namespace quelvane {

namespace {

constexpr int kByteValues = 256;
constexpr std::uint8_t kShiftOut = 0x0E;
constexpr std::size_t kTimeWidth = 3;
// "hh:mm:ss"
constexpr std::size_t kTimeText = 8;

bool hasShiftOut(std::span<const std::uint8_t> bytes) {
    return std::memchr(bytes.data(), kShiftOut, bytes.size()) != nullptr;
}

// Every host byte but zero, forwards and backwards: a shift-out or a lead byte in either run
// reads the bytes after it differently from the same bytes alone.
std::vector<std::vector<std::uint8_t>> probeRuns() {
    std::vector<std::uint8_t> forward;
    for (int b = 1; b < kByteValues; ++b) {
        forward.push_back(static_cast<std::uint8_t>(b));
    }
    std::vector<std::uint8_t> backward(forward.rbegin(), forward.rend());
    return {forward, backward};
}

}  // namespace

std::unique_ptr<PairByteTable> PairByteTable::probe(EbcdicTextConverter& converter, PcTextToUtf8& utf8) {
    std::unique_ptr<PairByteTable> table(new PairByteTable());
    if (!table->probeHost(converter) || !table->probeUtf8(utf8)) {
        return nullptr;
    }
    return table;
}

bool PairByteTable::pcText(std::span<const std::uint8_t> bytes, std::string& text) const {
    if (bytes.size() > kLongestText || hasShiftOut(bytes)) {
        return false;
    }
    text.resize(bytes.size());
    std::size_t length = 0;
    for (const std::uint8_t host : bytes) {
        const std::uint8_t pc = pc_[host];
        if (pc == 0) {
            break;
        }
        text[length++] = static_cast<char>(pc);
    }
    text.resize(length);
    return true;
}

bool PairByteTable::timeText(std::span<const std::uint8_t> bytes, std::string& text) const {
    char time[kTimeText];
    if (timeText(bytes, time) == nullptr) {
        return false;
    }
    text.assign(time, kTimeText);
    return true;
}

char* PairByteTable::timeText(std::span<const std::uint8_t> bytes, char* out) const {
    if (bytes.size() < kTimeWidth || hasShiftOut(bytes)) {
        return nullptr;
    }
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < kTimeWidth; ++i) {
        const std::uint8_t pc = pc_[bytes[i]];
        out[3 * i] = kDigits[pc >> 4];
        out[3 * i + 1] = kDigits[pc & 0x0F];
        if (i + 1 < kTimeWidth) {
            out[3 * i + 2] = ':';
        }
    }
    return out + kTimeText;
}

// Converted as every stored text is (convertPaddedText), alone and in runs.
bool PairByteTable::probeHost(EbcdicTextConverter& converter) {
    std::string text;
    for (int b = 0; b < kByteValues; ++b) {
        const auto host = static_cast<std::uint8_t>(b);
        convertPaddedText({&host, 1}, converter, text);
        if (b == 0 ? !text.empty() : text.size() != 1) {
            return false;
        }
        pc_[host] = b == 0 ? 0 : static_cast<std::uint8_t>(text[0]);
    }
    for (const std::vector<std::uint8_t>& run : probeRuns()) {
        convertPaddedText(run, converter, text);
        if (text.size() != run.size()) {
            return false;
        }
        for (std::size_t i = 0; i < run.size(); ++i) {
            if (static_cast<std::uint8_t>(text[i]) != pc_[run[i]]) {
                return false;
            }
        }
    }
    return true;
}

bool PairByteTable::probeUtf8(PcTextToUtf8& utf8) {
    std::string text;
    for (int b = 1; b < kByteValues; ++b) {
        const char pc = static_cast<char>(pc_[static_cast<std::size_t>(b)]);
        utf8.toUtf8(std::string_view(&pc, 1), text);
        if (text.empty() || text.size() > Utf8Bytes::kLongest || (text == " ") != (pc == ' ')) {
            return false;
        }
        Utf8Bytes& entry = utf8_[static_cast<std::size_t>(b)];
        std::copy(text.begin(), text.end(), entry.bytes);
        entry.length = static_cast<std::uint8_t>(text.size());
        entry.blank = text == " ";
    }
    for (const std::vector<std::uint8_t>& run : probeRuns()) {
        std::string pcRun;
        std::string expected;
        for (const std::uint8_t host : run) {
            pcRun.push_back(static_cast<char>(pc_[host]));
            expected.append(utf8_[host].bytes, utf8_[host].length);
        }
        utf8.toUtf8(pcRun, text);
        if (text != expected) {
            return false;
        }
    }
    return true;
}

}  // namespace quelvane
