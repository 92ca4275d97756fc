#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "savefile/Catalog.h"
#include "savefile/MemoryBlockSource.h"
#include "savefile/SaveFileReader.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/RecordingNotifier.h"
#include "tests/support/SaveFileBuilder.h"

namespace quelvane::test {

// One program run's worth of reader state: the catalog survives from open to open, as the
// main window's does.
struct ReaderFixture {
    Catalog catalog;
    Cp037Converter converter;
    RecordingNotifier notifier;
    std::uint64_t bytesRead = 0;

    // The open command's share of an open: a new segment table fill, then the parse.
    int open(const std::vector<std::uint8_t>& bytes, const std::string& path = "TEST.SAVF") {
        catalog.segments.reset();
        catalog.path = path;
        MemoryBlockSource source(bytes);
        SaveFileReader reader(catalog, converter, notifier);
        int result = reader.parseSaveFile(path, source).accepted ? 0 : -1;
        bytesRead = reader.bytesRead();
        return result;
    }

    int open(const SaveFileBuilder& builder) { return open(builder.build().bytes()); }

    const SavedLibrary& library(std::size_t part = 0) const { return catalog.parts.at(part).library; }
    const SavedObject& object(std::size_t index, std::size_t part = 0) const {
        return library(part).objects.at(index);
    }
};

// The first `blocks` blocks of a file, with both block counts saying so, so it still passes.
inline std::vector<std::uint8_t> truncatedTo(std::vector<std::uint8_t> bytes, std::int64_t blocks) {
    bytes.resize(static_cast<std::size_t>(blocks * 528));
    SaveFileBuilder::putU32(bytes, 8, static_cast<std::uint32_t>(blocks));
    SaveFileBuilder::putU32(bytes, 60, static_cast<std::uint32_t>(blocks));
    return bytes;
}

inline BuiltObject physicalFile(const std::string& name, std::vector<BuiltField> fields,
                                std::vector<BuiltMember> members) {
    BuiltObject object;
    object.name = name;
    object.attribute = "PF";
    object.text = name + " file";
    object.fields = std::move(fields);
    object.members = std::move(members);
    return object;
}

inline BuiltObject plainObject(const std::string& name, std::uint16_t typeCode,
                               const std::string& attribute) {
    BuiltObject object;
    object.name = name;
    object.typeCode = typeCode;
    object.attribute = attribute;
    object.text = "Object " + name;
    return object;
}

}  // namespace quelvane::test
