#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "describe/ProgramReader.h"
#include "savefile/DecodingFailure.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/SaveFileBuilder.h"

namespace quelvane::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct ModuleSpec {
    std::string name, library, attribute, compiler, releaseFor, releaseOn, created, changed, file, member,
        sourceLibrary;
};

void putText(Bytes& data, std::size_t at, const std::string& text, std::size_t width) {
    SaveFileBuilder::putBytes(data, at, SaveFileBuilder::ebcdic(text, width));
}

// An ILE program's data: the object header's kind byte, module records from `modulesAt`, bound
// service program entries from `servicesAt`.
Bytes program(std::uint8_t kind, const std::vector<ModuleSpec>& modules,
              const std::vector<std::pair<std::string, std::string>>& services) {
    Bytes data(0x6000, 0);
    data[0xE42] = kind;
    std::size_t at = 0x3010;
    for (const ModuleSpec& m : modules) {
        putText(data, at, m.name, 10);
        putText(data, at + 10, m.library, 10);
        putText(data, at + 21, m.attribute, 10);
        putText(data, at + 0x86, m.compiler, 7);
        putText(data, at + 0x8D, m.releaseFor, 6);
        putText(data, at + 0x93, m.releaseOn, 6);
        putText(data, at + 0x99, m.created, 13);
        putText(data, at + 0xA6, m.changed, 13);
        putText(data, at + 0xB3, m.file, 10);
        putText(data, at + 0xBD, m.member, 10);
        putText(data, at + 0xC7, m.sourceLibrary, 10);
        at += 0x110;
    }
    at = 0x2600;
    for (const auto& [name, library] : services) {
        data[at] = 0x02;
        data[at + 1] = 0x03;
        putText(data, at + 2, name, 30);
        data[at + 32] = 0x04;
        data[at + 33] = 0x01;
        putText(data, at + 34, library, 30);
        at += 80;
    }
    return data;
}

const std::vector<ModuleSpec> kModules = {
    {"MAIN", "APPLIB", "RPGLE", "5770WDS", "V7R1M0", "V7R2M0", "1200102030405", "1191231235959", "QRPGLESRC",
     "MAIN", "APPSRC"},
    {"HELPER", "APPLIB", "CLLE", "", "V7R1M0", "V7R2M0", "1200102030406", "", "", "", ""},
};

TEST(ProgramDescribe, IleModulesAndServicePrograms) {
    Cp037Converter converter;
    ProgramDescription read =
        ProgramReader(converter).read(program(0x80, kModules, {{"QRNXIE", "QSYS"}, {"UTILS", "APPLIB"}}));
    EXPECT_EQ(
        ProgramReader::lines(read),
        (std::vector<std::string>{
            "Program kind: ILE",
            "Modules: 2",
            "  APPLIB/MAIN RPGLE, compiler 5770WDS, created for V7R1M0 on V7R2M0 2020-01-02 03:04:05, source "
            "APPSRC/QRPGLESRC(MAIN) changed 2019-12-31 23:59:59",
            "  APPLIB/HELPER CLLE, created for V7R1M0 on V7R2M0 2020-01-02 03:04:06",
            "Service programs bound: 2",
            "  QSYS/QRNXIE",
            "  APPLIB/UTILS",
        }));
}

TEST(ProgramDescribe, KindsByTheHeaderByte) {
    struct Case {
        std::uint8_t kind;
        ProgramDescription::Kind expected;
    };
    const Case cases[] = {
        {0x88, ProgramDescription::Kind::Opm},        {0x08, ProgramDescription::Kind::Opm},
        {0x40, ProgramDescription::Kind::Module},     {0x80, ProgramDescription::Kind::Ile},
        {0x00, ProgramDescription::Kind::NotDecoded}, {0x20, ProgramDescription::Kind::NotDecoded}};
    Cp037Converter converter;
    for (const Case& c : cases) {
        ProgramDescription read = ProgramReader(converter).read(program(c.kind, kModules, {}));
        EXPECT_EQ(read.kind, c.expected) << int{c.kind};
        EXPECT_EQ(read.modules.size(), c.expected == ProgramDescription::Kind::Ile ? 2u : 0u) << int{c.kind};
    }
}

// A record that does not have a module record's form ends the list; a name that is not a
// name ends the service programs.
TEST(ProgramDescribe, ListsEndAtWhatIsNotARecord) {
    std::vector<ModuleSpec> modules = kModules;
    modules[1].releaseOn = "V7R2X0";
    modules.push_back(kModules[0]);
    Cp037Converter converter;
    ProgramDescription read =
        ProgramReader(converter).read(program(0x80, modules, {{"QRNXIE", "QSYS"}, {"BAD NAME", "QSYS"}}));
    ASSERT_EQ(read.modules.size(), 1u);
    EXPECT_EQ(read.modules[0].name, "MAIN");
    ASSERT_EQ(read.serviceProgramsBound.size(), 1u);
}

TEST(ProgramDescribe, TruncationSweep) {
    Bytes whole = program(0x80, kModules, {{"QRNXIE", "QSYS"}});
    Cp037Converter converter;
    for (std::size_t size = 0; size < whole.size(); size += 5) {
        Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        if (size <= 0xE42) {
            EXPECT_THROW(ProgramReader(converter).read(cut), DecodingFailure);
            continue;
        }
        ProgramDescription read = ProgramReader(converter).read(cut);
        EXPECT_LE(read.modules.size(), 2u);
    }
}

}  // namespace
}  // namespace quelvane::test
