#include "describe/ObjectDescriber.h"

#include <exception>
#include <string>
#include <vector>

#include "describe/CommandReader.h"
#include "describe/LogicalFileReader.h"
#include "describe/MessageFileReader.h"
#include "describe/ObjectData.h"
#include "describe/ProgramReader.h"

namespace quelvane {

namespace {

constexpr std::uint16_t kCommandType = 0x1905;
constexpr std::uint16_t kMessageFileType = 0x0E03;
constexpr std::uint16_t kProgramType = 0x0201;
constexpr std::uint16_t kServiceProgramType = 0x0203;
constexpr std::uint16_t kModuleType = 0x0301;
constexpr std::uint16_t kFileType = 0x1901;

const SavedPart* partHolding(const Catalog& catalog, const SavedObject& object) {
    for (const SavedPart& part : catalog.parts) {
        for (const SavedObject& candidate : part.library.objects) {
            if (&candidate == &object) {
                return &part;
            }
        }
    }
    return nullptr;
}

ObjectDescription describeLogicalFile(BlockSource& source, const Catalog& catalog, const SavedObject& object,
                                      EbcdicTextConverter& converter) {
    ObjectDescription description;
    const SavedPart* part = partHolding(catalog, object);
    std::optional<std::vector<std::uint8_t>> area =
        part == nullptr ? std::nullopt : LogicalFileReader::memberArea(source, *part, object);
    if (!area) {
        description.failure = object.name + " cannot be described: its member area is not in the file";
        description.dataMissing = true;
        return description;
    }
    try {
        description.logicalFile = LogicalFileReader(converter).read(*area);
    } catch (const std::exception& failure) {
        description.failure = object.name + " cannot be described: " + failure.what();
    }
    return description;
}

}  // namespace

bool ObjectDescriber::describes(std::uint16_t typeCode, const std::string& attribute) {
    return (typeCode == kFileType && attribute == "LF") || typeCode == kCommandType ||
           typeCode == kMessageFileType || typeCode == kProgramType || typeCode == kServiceProgramType ||
           typeCode == kModuleType;
}

ObjectDescription ObjectDescriber::describe(BlockSource& source, const Catalog& catalog,
                                            const SavedObject& object, EbcdicTextConverter& converter) {
    ObjectDescription description;
    if (!describes(object.typeCode, object.attribute)) {
        return description;
    }
    if (object.typeCode == kFileType) {
        return describeLogicalFile(source, catalog, object, converter);
    }
    std::string why;
    std::optional<ObjectData> data = ObjectData::locate(source, catalog, object, why);
    if (!data) {
        description.failure = object.name + " cannot be described: " + why;
        description.dataMissing = true;
        return description;
    }
    try {
        if (object.typeCode == kCommandType) {
            description.command =
                CommandReader(converter).read(data->read(0, CommandReader::kLargestDefinition));
        } else if (object.typeCode != kMessageFileType) {
            description.program =
                ProgramReader(converter).read(data->read(0, ProgramReader::kLargestProgram));
        } else {
            description.messages =
                MessageFileReader(converter).read(data->read(0, MessageFileReader::kLargestMessageFile));
        }
    } catch (const std::exception& failure) {
        description.failure = object.name + " cannot be described: " + failure.what();
    }
    return description;
}

}  // namespace quelvane
