#include "conversion/CodePageLists.h"

#include <charconv>

#include "conversion/CodePageRegistry.h"

namespace quelvane {

namespace {

constexpr std::size_t kEbcdicFieldStart = 7;
constexpr std::size_t kEbcdicFieldWidth = 5;
constexpr std::size_t kPcFieldWidth = 5;

std::string_view trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string_view slice(std::string_view text, std::size_t start, std::size_t width) {
    return start >= text.size() ? std::string_view{} : text.substr(start, width);
}

constexpr bool offeredPagesComeFirst() {
    for (std::size_t i = 0; i < kHostPages.size(); ++i) {
        if (kHostPages[i].optionText.empty() != (i >= kOfferedHostPageCount)) {
            return false;
        }
    }
    return true;
}
static_assert(offeredPagesComeFirst());
static_assert(kCcsidRowCount == kOfferedHostPageCount);
static_assert(kPcCodePageRowCount == kPcPages.size() + 1);

constexpr std::array<CcsidRow, kCcsidRowCount> ccsidRows() {
    std::array<CcsidRow, kCcsidRowCount> rows{};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const HostPageEntry& page = kHostPages[i];
        rows[i].text = page.optionText;
        rows[i].pcRow = page.pickedPcPage ? pcPageRow(*page.pickedPcPage) : std::nullopt;
    }
    return rows;
}

constexpr std::array<std::string_view, kPcCodePageRowCount> pcCodePageRows() {
    std::array<std::string_view, kPcCodePageRowCount> rows{};
    for (std::size_t i = 0; i < kPcPages.size(); ++i) {
        rows[i] = kPcPages[i].optionText;
    }
    return rows;
}

}  // namespace

const std::array<CcsidRow, kCcsidRowCount> kCcsidRows = ccsidRows();

const std::array<std::string_view, kPcCodePageRowCount> kPcCodePageRows = pcCodePageRows();

std::string_view ebcdicCodePageField(std::string_view rowText) {
    return trimBlanks(slice(rowText, kEbcdicFieldStart, kEbcdicFieldWidth));
}

std::optional<std::int32_t> ebcdicCodePageOfRow(std::string_view rowText) {
    return parseDecimal(ebcdicCodePageField(rowText));
}

std::string_view pcCodePageField(std::string_view rowText) {
    return trimBlanks(slice(rowText, 0, kPcFieldWidth));
}

std::optional<std::int32_t> pcCodePageOfRow(std::string_view rowText) {
    return parseDecimal(pcCodePageField(rowText));
}

std::optional<std::int32_t> parseDecimal(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return std::nullopt;
        }
    }
    std::int32_t value = 0;
    const auto* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace quelvane
