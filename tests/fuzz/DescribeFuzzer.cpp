#include <cstddef>
#include <cstdint>
#include <span>

#include "describe/CommandReader.h"
#include "describe/CommandSource.h"
#include "describe/LogicalFileFields.h"
#include "describe/LogicalFileReader.h"
#include "describe/MessageFileReader.h"
#include "describe/ProgramReader.h"
#include "savefile/DecodingFailure.h"
#include "tests/support/Cp037Converter.h"

// Each describer over arbitrary object data: the first byte picks the describer, the rest is
// the data. A describer either reads or raises DecodingFailure; the rebuilt text of what it
// read must be writable too.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    quelvane::test::Cp037Converter converter;
    std::span<const std::uint8_t> objectData(data + 1, size - 1);
    try {
        switch (data[0] % 5) {
            case 4:
                quelvane::LogicalFileFields::fromArea(objectData, quelvane::SavedObject(), converter);
                quelvane::LogicalFileFields::formatsFromArea(objectData, quelvane::SavedObject(), converter);
                break;
            case 3:
                quelvane::LogicalFileReader::lines(quelvane::LogicalFileReader(converter).read(objectData));
                break;
            case 2:
                quelvane::ProgramReader::lines(quelvane::ProgramReader(converter).read(objectData));
                break;
            case 1:
                quelvane::MessageFileReader::addMessageStatements(
                    quelvane::MessageFileReader(converter).read(objectData), "FUZZ");
                break;
            default: {
                quelvane::CommandDefinition command = quelvane::CommandReader(converter).read(objectData);
                quelvane::CommandSource::lines(command, "FUZZ");
                break;
            }
        }
    } catch (const quelvane::DecodingFailure&) {
    }
    return 0;
}
