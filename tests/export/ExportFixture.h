#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "export/ExportSession.h"
#include "tests/support/ContentFixtures.h"
#include "tests/support/RecordingAutomationClient.h"
#include "tests/views/ViewsFixture.h"

namespace quelvane::test {

// A record of ORDERS: NAME (4 characters), AMT (packed 5,2), DAY (date), QTY (binary 2).
inline std::vector<std::uint8_t> orderRecord(const std::string& name, std::vector<std::uint8_t> amount,
                                             std::uint32_t day, std::uint16_t quantity) {
    std::vector<std::uint8_t> record = SaveFileBuilder::ebcdic(name, 4);
    record.insert(record.end(), amount.begin(), amount.end());
    std::vector<std::uint8_t> rest(6, 0);
    SaveFileBuilder::putU32(rest, 0, day);
    SaveFileBuilder::putU16(rest, 4, quantity);
    record.insert(record.end(), rest.begin(), rest.end());
    return record;
}

inline constexpr std::int32_t kOrderLength = 13;
inline constexpr std::uint32_t kDay20000101 = 2451545;

inline BuiltObject ordersFile(std::vector<BuiltMember> members, const std::string& name = "ORDERS",
                              const std::string& attribute = "PF") {
    BuiltObject file;
    file.name = name;
    file.attribute = attribute;
    file.fields = {{"NAME", 0x0403, 4, 0, 0, 0, 40},
                   {"AMT", 0x0303, 3, 5, 2, 0, 40},
                   {"DAY", 0x0B03, 4, 0, 0, 0, 40},
                   {"QTY", 0x0003, 2, 4, 0, 0, 40}};
    file.members = std::move(members);
    return file;
}

// Slots of ORDERS records named R0, R1, ...; the slots listed in `deleted` hold status 0.
inline std::vector<StreamSlot> orderSlots(int count, std::vector<int> deleted = {}) {
    std::vector<StreamSlot> streamSlots;
    for (int i = 0; i < count; ++i) {
        bool gone = std::find(deleted.begin(), deleted.end(), i) != deleted.end();
        streamSlots.push_back({static_cast<std::uint8_t>(gone ? 0x00 : 0x80),
                               orderRecord("R" + std::to_string(i), {0x12, 0x34, 0x5F}, kDay20000101,
                                           static_cast<std::uint16_t>(i))});
    }
    return streamSlots;
}

// The view fixture with an export session over it, speaking to a recording automation client.
struct ExportFixture {
    ExportFixture() {
        session.processEvents = [this] { ++eventRounds; };
    }

    // One part whose objects are `objects`, followed by `segments`.
    void open(std::vector<BuiltObject> objects, std::vector<BuiltSegment> segments) {
        SaveFileBuilder builder;
        BuiltPart part;
        part.objects = std::move(objects);
        builder.add(part);
        for (auto& segment : segments) {
            builder.add(segment);
        }
        ASSERT_EQ(views.open(builder), 0);
    }

    // ORDERS with member MBR1 holding `streamSlots` (record count: their number unless given).
    void openOrders(const std::vector<StreamSlot>& streamSlots, std::int32_t recordCount = -1) {
        auto count = static_cast<std::uint32_t>(
            recordCount < 0 ? static_cast<std::int32_t>(streamSlots.size()) : recordCount);
        open({ordersFile({{"MBR1", "", "", count}})},
             {ContentFixtures::memberRecords("ORDERS", "MBR1", kOrderLength, streamSlots)});
    }

    ViewsFixture views;
    RecordingAutomationClient automation;
    ExportSession session{views.session, automation, 0};
    int eventRounds = 0;
};

}  // namespace quelvane::test
