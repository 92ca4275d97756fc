#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/ContentFixtures.h"
#include "tests/support/SaveFileBuilder.h"

namespace quelvane::test {

// A save file of library QGPL with one physical file ORDERS whose member MBR holds `records`
// records of two fields: NAME (4 characters, "R" and the record's number modulo 1000 in three
// digits) and DAY (a date, 2000/01/01 onwards, one day per record). Slot `recordless` (when
// inside) holds no record; slot `badDay` (when inside) has a day number past 9999-12-31.
inline void writeRecordsFile(const std::filesystem::path& path, std::uint32_t records,
                             std::int64_t recordless = -1, std::int64_t badDay = -1) {
    constexpr std::uint32_t kFirstDay = 2451545;
    constexpr std::uint32_t kPastLastDay = 5373485;
    std::vector<StreamSlot> stored;
    stored.reserve(records);
    for (std::uint32_t n = 0; n < records; ++n) {
        char name[8];
        std::snprintf(name, sizeof name, "R%03u", n % 1000);
        StreamSlot slot;
        slot.record = SaveFileBuilder::ebcdic(name, 4);
        slot.record.resize(8);
        SaveFileBuilder::putU32(slot.record, 4,
                                static_cast<std::int64_t>(n) == badDay ? kPastLastDay : kFirstDay + n);
        if (static_cast<std::int64_t>(n) == recordless) {
            slot.status = 0;
        }
        stored.push_back(std::move(slot));
    }
    BuiltObject file;
    file.name = "ORDERS";
    file.attribute = "PF";
    file.text = "Order file";
    file.fields = {{"NAME", 0x0403, 4, 0, 0, 0, 40}, {"DAY", 0x0B03, 4, 0, 0, 0, 40}};
    file.members = {{"MBR", "", "Orders", records}, {"OTHER", "", "Second", 1}};
    BuiltPart part;
    part.objects = {file, ContentFixtures::programObject("MYPGM", "RPGLE")};
    SaveFileBuilder builder;
    builder.add(part);
    builder.add(ContentFixtures::memberRecords("ORDERS", "MBR", 8, stored));
    builder.add(ContentFixtures::memberRecords(
        "ORDERS", "OTHER", 8,
        std::vector<StreamSlot>(stored.begin(), stored.begin() + (stored.empty() ? 0 : 1))));
    builder.build().writeTo(path.string());
}

}  // namespace quelvane::test
