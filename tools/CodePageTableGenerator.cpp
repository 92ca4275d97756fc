// Writes conversion/tables/CodePageTableData.cpp: every page of conversion/CodePageRegistry.h,
// every converter of a stored CCSID no host page shares, and every ASCII-family CCSID CcsidText
// reads, as tables worked out through the ICU backend, so that
// the table backend converts byte for byte as the ICU backend does where ICU is not at hand.
// Before writing, the tables read random text (and the PC pages write random text) against the
// ICU backend; any difference stops the generator.
//
// Usage: CodePageTableGenerator            write the tables to standard output
//        CodePageTableGenerator --check F  exit 1 unless F holds exactly what would be written

#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>

#include "conversion/CcsidText.h"
#include "conversion/CodePageRegistry.h"
#include "conversion/icu/IcuConversionBackend.h"
#include "tools/codepages/DecodeTableBuilder.h"
#include "tools/codepages/EncodeTableBuilder.h"
#include "tools/codepages/RandomTextCheck.h"
#include "tools/codepages/TableSourceWriter.h"

namespace {

using namespace quelvane;
using namespace quelvane::tables;

constexpr std::int32_t kLastCcsid = 0xFFFF;

PageTable buildDecodePage(CodePageDecoder& decoder, PageKind kind, std::int32_t number, TablePools& pools) {
    PageTable page{};
    page.kind = kind;
    page.number = number;
    DecodeTableBuilder(decoder, pools).build(page);
    return page;
}

void addHostPages(TablePools& pools) {
    for (const HostPageEntry& entry : kHostPages) {
        auto decoder = IcuConversionBackend::instance().openHostPage(entry.windowsCodePage);
        if (decoder == nullptr) {
            throw std::runtime_error("no converter for host page " + std::to_string(entry.windowsCodePage));
        }
        pools.pages.push_back(buildDecodePage(*decoder, PageKind::host, entry.windowsCodePage, pools));
    }
}

void addPcPages(TablePools& pools) {
    std::set<char32_t> ignorable;
    std::vector<EncodeTableBuilder> builders;
    std::vector<std::unique_ptr<PcPageCodec>> codecs;
    for (const PcPageEntry& entry : kPcPages) {
        codecs.push_back(IcuConversionBackend::instance().openPcPage(entry.windowsCodePage));
        if (codecs.back() == nullptr) {
            throw std::runtime_error("no converter for PC page " + std::to_string(entry.windowsCodePage));
        }
        PageTable page = buildDecodePage(*codecs.back(), PageKind::pc, entry.windowsCodePage, pools);
        builders.emplace_back(*codecs.back(), pools);
        builders.back().build(page, ignorable);
        pools.pages.push_back(page);
    }
    for (const EncodeTableBuilder& builder : builders) {
        builder.checkIgnorable(ignorable);
    }
    for (char32_t c : ignorable) {
        if (!pools.ignorable.empty() && pools.ignorable.back().last + 1 == c) {
            pools.ignorable.back().last = c;
        } else {
            pools.ignorable.push_back({c, c});
        }
    }
}

// CCSIDs ICU does not know stay out: CcsidText then reads their text as it does without ICU.
void addCcsidPages(TablePools& pools) {
    for (std::int32_t ccsid = 0; ccsid <= kLastCcsid; ++ccsid) {
        const auto value = static_cast<std::uint16_t>(ccsid);
        if (value == kUtf8Ccsid || CcsidText::familyOf(value) != CcsidText::Family::Ascii) {
            continue;
        }
        auto decoder = IcuConversionBackend::instance().openCcsidPage(value);
        if (decoder != nullptr) {
            pools.pages.push_back(buildDecodePage(*decoder, PageKind::ccsid, ccsid, pools));
        }
    }
}

// A stored CCSID whose converter a host page or an earlier CCSID shares reads with that
// page's tables; only the other converters get pages of their own.
void addStoredCcsidPages(TablePools& pools) {
    for (const StoredCcsidEntry& entry : kStoredCcsids) {
        if (entry.converter.empty() || hostPageSharingConverter(entry) != nullptr ||
            &firstStoredCcsidSharingConverter(entry) != &entry) {
            continue;
        }
        auto decoder = IcuConversionBackend::instance().openStoredCcsid(entry.ccsid);
        if (decoder == nullptr) {
            throw std::runtime_error("no converter for stored CCSID " + std::to_string(entry.ccsid));
        }
        pools.pages.push_back(buildDecodePage(*decoder, PageKind::stored, entry.ccsid, pools));
    }
}

std::string generate() {
    TablePools pools;
    addHostPages(pools);
    addPcPages(pools);
    addCcsidPages(pools);
    addStoredCcsidPages(pools);
    checkAgainstIcu(pools.view());
    std::ostringstream out;
    writeTableSource(pools, out);
    return out.str();
}

}  // namespace

int main(int argc, char** argv) {
    std::string text;
    try {
        text = generate();
    } catch (const std::exception& failure) {
        std::cerr << "CodePageTableGenerator: " << failure.what() << '\n';
        return 2;
    }
    if (argc == 3 && std::string(argv[1]) == "--check") {
        std::ifstream file(argv[2], std::ios::binary);
        const std::string committed((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (committed != text) {
            std::cerr << argv[2] << " differs from what the ICU backend gives; regenerate it\n";
            return 1;
        }
        return 0;
    }
    std::cout << text;
    return std::cout ? 0 : 1;
}
