#include "describe/ProgramReader.h"

#include "savefile/BigEndianReader.h"
#include "savefile/EbcdicField.h"

namespace quelvane {

namespace {

constexpr std::int64_t kProgramKindAt = 0xE42;
constexpr std::uint8_t kOpmFlag = 0x08;
constexpr std::uint8_t kIleFlag = 0x80;
constexpr std::uint8_t kModuleFlag = 0x40;

// Module record, from its start.
constexpr std::int64_t kModuleRecordSize = 0x110;
constexpr std::int64_t kModuleNameAt = 0;
constexpr std::int64_t kModuleLibraryAt = 10;
constexpr std::int64_t kAttributeAt = 21;
constexpr std::int64_t kCompilerAt = 0x86;
constexpr std::int64_t kCompilerWidth = 7;
constexpr std::int64_t kReleaseForAt = 0x8D;
constexpr std::int64_t kReleaseOnAt = 0x93;
constexpr std::int64_t kReleaseWidth = 6;
constexpr std::int64_t kCreatedAt = 0x99;
constexpr std::int64_t kSourceChangedAt = 0xA6;
constexpr std::int64_t kDigitsWidth = 13;
constexpr std::int64_t kSourceFileAt = 0xB3;
constexpr std::int64_t kSourceMemberAt = 0xBD;
constexpr std::int64_t kSourceLibraryAt = 0xC7;
constexpr std::int64_t kNameWidth = 10;

// Bound service program entry.
constexpr std::int64_t kServiceEntrySize = 80;
constexpr std::int64_t kServiceNameAt = 2;
constexpr std::int64_t kServiceLibraryTypeAt = 32;
constexpr std::int64_t kServiceLibraryAt = 34;
constexpr std::int64_t kLongNameWidth = 30;
constexpr std::uint8_t kServiceType[] = {0x02, 0x03};
constexpr std::uint8_t kLibraryType[] = {0x04, 0x01};

constexpr std::uint8_t kEbcdicBlank = 0x40;

bool isDigit(std::uint8_t b) {
    return b >= 0xF0 && b <= 0xF9;
}
bool isUpper(std::uint8_t b) {
    return (b >= 0xC1 && b <= 0xC9) || (b >= 0xD1 && b <= 0xD9) || (b >= 0xE2 && b <= 0xE9);
}
// A character of a system name: A-Z, 0-9, $ # @ _ and the period.
bool isNameCharacter(std::uint8_t b) {
    return isUpper(b) || isDigit(b) || b == 0x5B || b == 0x7B || b == 0x7C || b == 0x6D || b == 0x4B;
}

// "VnRnMn" in EBCDIC.
bool isRelease(std::span<const std::uint8_t> b) {
    return b[0] == 0xE5 && isDigit(b[1]) && b[2] == 0xD9 && isDigit(b[3]) && b[4] == 0xD4 && isDigit(b[5]);
}

// A name field: a name character first, name characters up to blanks that run to its end.
bool isName(std::span<const std::uint8_t> field) {
    if (field.empty() || !isNameCharacter(field[0]) || isDigit(field[0])) {
        return false;
    }
    std::size_t i = 1;
    while (i < field.size() && isNameCharacter(field[i])) {
        ++i;
    }
    for (; i < field.size(); ++i) {
        if (field[i] != kEbcdicBlank) {
            return false;
        }
    }
    return true;
}

bool isModuleRecord(const BigEndianReader& data, std::int64_t at) {
    return data.contains(at, kModuleRecordSize) && isRelease(data.at(at + kReleaseForAt, kReleaseWidth)) &&
           isRelease(data.at(at + kReleaseOnAt, kReleaseWidth)) &&
           SavedTimestamp::fromDigits(data.at(at + kCreatedAt, kDigitsWidth)).has_value() &&
           isName(data.at(at + kModuleNameAt, kNameWidth));
}

bool isServiceEntry(const BigEndianReader& data, std::int64_t at) {
    if (!data.contains(at, kServiceEntrySize)) {
        return false;
    }
    std::span<const std::uint8_t> entry = data.at(at, kServiceEntrySize);
    return entry[0] == kServiceType[0] && entry[1] == kServiceType[1] &&
           entry[kServiceLibraryTypeAt] == kLibraryType[0] &&
           entry[kServiceLibraryTypeAt + 1] == kLibraryType[1] &&
           isName(entry.subspan(kServiceNameAt, kLongNameWidth)) &&
           isName(entry.subspan(kServiceLibraryAt, kLongNameWidth));
}

std::string joinedName(const std::string& library, const std::string& name) {
    return library.empty() ? name : library + "/" + name;
}

}  // namespace

ProgramDescription ProgramReader::read(std::span<const std::uint8_t> objectData) {
    BigEndianReader data(objectData);
    ProgramDescription program;
    std::uint8_t kind = data.u8(kProgramKindAt);
    if ((kind & kOpmFlag) != 0) {
        program.kind = ProgramDescription::Kind::Opm;
        return program;
    }
    if (kind == kModuleFlag) {
        program.kind = ProgramDescription::Kind::Module;
        return program;
    }
    if (kind != kIleFlag) {
        return program;
    }
    program.kind = ProgramDescription::Kind::Ile;
    const auto size = static_cast<std::int64_t>(objectData.size());
    auto text = [&](std::int64_t at, std::int64_t width) {
        return convertField(converter_, data.at(at, width), true);
    };
    for (std::int64_t at = 0; at + kModuleRecordSize <= size && program.modules.empty(); ++at) {
        for (std::int64_t r = at; isModuleRecord(data, r) && program.modules.size() < kMostModules;
             r += kModuleRecordSize) {
            BoundModule& module = program.modules.emplace_back();
            module.name = text(r + kModuleNameAt, kNameWidth);
            module.library = text(r + kModuleLibraryAt, kNameWidth);
            module.attribute = text(r + kAttributeAt, kNameWidth);
            module.compiler = text(r + kCompilerAt, kCompilerWidth);
            module.releaseFor = text(r + kReleaseForAt, kReleaseWidth);
            module.releaseOn = text(r + kReleaseOnAt, kReleaseWidth);
            module.created = SavedTimestamp::fromDigits(data.at(r + kCreatedAt, kDigitsWidth));
            module.sourceChanged = SavedTimestamp::fromDigits(data.at(r + kSourceChangedAt, kDigitsWidth));
            module.sourceFile = text(r + kSourceFileAt, kNameWidth);
            module.sourceMember = text(r + kSourceMemberAt, kNameWidth);
            module.sourceLibrary = text(r + kSourceLibraryAt, kNameWidth);
        }
    }
    for (std::int64_t at = 0; at + kServiceEntrySize <= size && program.serviceProgramsBound.empty(); ++at) {
        for (std::int64_t e = at;
             isServiceEntry(data, e) && program.serviceProgramsBound.size() < kMostServicePrograms;
             e += kServiceEntrySize) {
            program.serviceProgramsBound.push_back(
                {text(e + kServiceNameAt, kLongNameWidth), text(e + kServiceLibraryAt, kLongNameWidth)});
        }
    }
    return program;
}

std::vector<std::string> ProgramReader::lines(const ProgramDescription& program) {
    static const char* const kKinds[] = {"Program kind: not decoded", "Program kind: OPM",
                                         "Program kind: ILE", "Module"};
    std::vector<std::string> out{kKinds[static_cast<int>(program.kind)]};
    if (program.kind != ProgramDescription::Kind::Ile) {
        return out;
    }
    out.push_back("Modules: " + std::to_string(program.modules.size()));
    for (const BoundModule& m : program.modules) {
        std::string line = "  " + joinedName(m.library, m.name) + " " + m.attribute;
        line += m.compiler.empty() ? "" : ", compiler " + m.compiler;
        line += ", created for " + m.releaseFor + " on " + m.releaseOn;
        line += m.created ? " " + m.created->text() : "";
        if (!m.sourceFile.empty()) {
            line += ", source " + joinedName(m.sourceLibrary, m.sourceFile) + "(" + m.sourceMember + ")";
        }
        line += m.sourceChanged ? " changed " + m.sourceChanged->text() : "";
        out.push_back(line);
    }
    out.push_back("Service programs bound: " + std::to_string(program.serviceProgramsBound.size()));
    for (const QualifiedObjectName& s : program.serviceProgramsBound) {
        out.push_back("  " + joinedName(s.library, s.name));
    }
    return out;
}

}  // namespace quelvane
