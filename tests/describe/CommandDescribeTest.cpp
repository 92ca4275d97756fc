#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "describe/ClStatement.h"
#include "describe/CommandReader.h"
#include "describe/CommandSource.h"
#include "savefile/DecodingFailure.h"
#include "tests/describe/CommandSpaceBuilder.h"
#include "tests/support/Cp037Converter.h"

namespace quelvane::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes u16(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

Bytes item(std::uint8_t code, const Bytes& payload) {
    Bytes out{code};
    Bytes length = u16(static_cast<std::uint32_t>(payload.size() + 3));
    out.insert(out.end(), length.begin(), length.end());
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

struct Entry {
    std::uint8_t kind = 0;
    std::uint8_t type = 0x04;
    std::uint32_t length = 10;
    std::uint32_t minimum = 0;
    std::uint32_t maximum = 1;
    std::uint8_t valueFlags = 0;
    std::uint8_t promptFlags = 0;
    std::uint8_t inputFlags = 0;
    std::uint8_t caseFlags = 0;
    std::size_t prompt = 0;
    std::string keyword;  // empty: a QUAL or ELEM entry
    std::uint32_t number = 0;
    Bytes items;
    std::size_t firstPart = 0;
};

// Writes the entry at the end of the space; returns its offset.
std::size_t write(CommandSpaceBuilder& b, const Entry& e) {
    std::size_t o = b.end();
    b.putU16(o + 2, static_cast<std::uint32_t>(e.firstPart));
    b.putU8(o + 4, e.kind);
    b.putU8(o + 7, e.type);
    b.putU16(o + 8, e.length);
    b.putU16(o + 12, e.minimum);
    b.putU16(o + 14, e.maximum);
    b.putU8(o + 18, e.valueFlags);
    b.putU8(o + 19, e.promptFlags);
    b.putU8(o + 20, e.inputFlags);
    b.putU16(o + 21, static_cast<std::uint32_t>(e.prompt));
    b.putU8(o + 26, e.caseFlags);
    std::size_t items = o + 27;
    if (!e.keyword.empty()) {
        b.putText(o + 27, e.keyword, 10);
        b.putU16(o + 37, e.number);
        items = o + 41;
    }
    Bytes all = cat({e.items, Bytes{0xFF}});
    for (std::size_t i = 0; i < all.size(); ++i) {
        b.putU8(items + i, all[i]);
    }
    return o;
}

void link(CommandSpaceBuilder& b, const std::vector<std::size_t>& entries, bool parameters) {
    for (std::size_t i = 0; i + 1 < entries.size(); ++i) {
        b.putU16(entries[i], static_cast<std::uint32_t>(entries[i + 1]));
        if (parameters) {
            b.putU16(entries[i] + 39, static_cast<std::uint32_t>(entries[i + 1]));
        }
    }
}

// A command with a parameter of each kind the stored layout is known for.
struct BuiltCommand {
    CommandSpaceBuilder b;
    std::vector<std::size_t> parameters;

    BuiltCommand() {
        b.putText(0x02, "MYPGM", 10);
        b.putText(0x0C, "MYLIB", 10);
        b.putText(0x18, "*", 10);
        b.putText(0x34, "QCPFMSG", 10);
        b.putText(0x3E, "*LIBL", 10);
        b.putU16(0x7D, 0);
        b.putU8(0x100, 0);  // the space header ends before the entries
        b.putU16(0x7B, static_cast<std::uint32_t>(b.textEntry("Do something")));
        std::size_t libl = b.value("*LIBL");
        std::size_t curlib = b.value("*CURLIB");
        std::size_t ten = b.append(cat({u16(2), {0xF1, 0xF0}, {0x01, 0x0F}}));
        std::size_t zero = b.value("0");
        std::size_t thousand = b.value("1000");
        std::size_t max = b.value("*MAX");
        std::size_t maxPacked = b.append({0x99, 0x99, 0x9F});
        std::size_t mm = b.value("*MM");
        std::size_t in = b.value("*IN");
        std::size_t blank = b.value(" ");
        // PMTCTL: CTL(LIB) COND((*EQ *LIBL)) NBRTRUE(*EQ 1).
        std::size_t control = b.append(
            cat({u16(0), u16(1), u16(1), {2 << 5}, u16(1), {2 << 5}, u16(static_cast<std::uint32_t>(libl))}));

        Entry lib;
        lib.keyword = "LIB";
        lib.number = 1;
        lib.type = 0x05;
        lib.minimum = 1;
        lib.valueFlags = 0x40;
        lib.prompt = b.textEntry("Library");
        lib.items = cat({item(1, cat({{0x05}, u16(static_cast<std::uint32_t>(libl))})),
                         item(2, cat({u16(2),
                                      u16(0),
                                      {0x05},
                                      u16(static_cast<std::uint32_t>(libl)),
                                      u16(static_cast<std::uint32_t>(libl)),
                                      {0x05},
                                      u16(static_cast<std::uint32_t>(curlib)),
                                      u16(static_cast<std::uint32_t>(curlib))})),
                         item(6, {0x20, 0x00, 0x01, 0x00, 0x00})});
        parameters.push_back(write(b, lib));

        Entry count;
        count.keyword = "COUNT";
        count.number = 2;
        count.type = 0x01;
        count.length = 5;
        count.promptFlags = 0x10;
        count.prompt = b.textEntry("Count");
        count.items = cat({item(1, cat({{0x20}, u16(static_cast<std::uint32_t>(ten))})),
                           item(4, cat({u16(2),
                                        {3},
                                        u16(static_cast<std::uint32_t>(zero)),
                                        {6},
                                        u16(static_cast<std::uint32_t>(thousand))})),
                           item(2, cat({u16(1),
                                        u16(0),
                                        {0x20},
                                        u16(static_cast<std::uint32_t>(max)),
                                        u16(static_cast<std::uint32_t>(maxPacked))})),
                           item(5, u16(static_cast<std::uint32_t>(control)))});
        parameters.push_back(write(b, count));

        Entry name;
        name.kind = 0x80;
        name.type = 0x05;
        name.minimum = 1;
        std::size_t q1 = write(b, name);
        Entry library;
        library.kind = 0x80;
        library.type = 0x05;
        library.prompt = b.textEntry("Library");
        library.items = item(1, cat({{0x05}, u16(static_cast<std::uint32_t>(libl))}));
        std::size_t q2 = write(b, library);
        link(b, {q1, q2}, false);
        Entry object;
        object.keyword = "OBJ";
        object.number = 3;
        object.kind = 0x04;
        object.type = 0;
        object.length = 20;
        object.minimum = 1;
        object.firstPart = q1;
        object.prompt = b.textEntry("Object");
        parameters.push_back(write(b, object));

        Entry width;
        width.kind = 0x40;
        width.type = 0x01;
        width.length = 5;
        width.prompt = b.textEntry("Width");
        std::size_t e1 = write(b, width);
        Entry unit;
        unit.kind = 0x40;
        unit.valueFlags = 0x08;
        unit.length = 4;
        unit.prompt = b.textEntry("Unit");
        unit.items =
            item(3, cat({u16(2), u16(static_cast<std::uint32_t>(mm)), u16(static_cast<std::uint32_t>(in))}));
        std::size_t e2 = write(b, unit);
        link(b, {e1, e2}, false);
        Entry size;
        size.keyword = "SIZE";
        size.number = 4;
        size.kind = 0x08;
        size.type = 0;
        size.maximum = 3;
        size.firstPart = e1;
        parameters.push_back(write(b, size));

        Entry text;
        text.keyword = "TEXT";
        text.number = 5;
        text.length = 50;
        text.caseFlags = 0x20;
        text.inputFlags = 0xC0;
        text.promptFlags = 0x20;
        text.prompt = b.textEntry("Text 'quoted'");
        text.items = item(1, cat({{0x45}, u16(static_cast<std::uint32_t>(blank))}));
        parameters.push_back(write(b, text));

        Entry odd;
        odd.keyword = "ODD";
        odd.number = 6;
        odd.type = 0x07;
        parameters.push_back(write(b, odd));

        link(b, parameters, true);
        b.putU16(0x7D, static_cast<std::uint32_t>(parameters.front()));
        b.putU16(0x7F, static_cast<std::uint32_t>(parameters.size()));
        std::size_t trailer = b.end();
        b.putU16(trailer, 0xA2);
        b.putText(trailer + 2, "MYHLP", 10);
        b.putText(trailer + 12, "MYLIB", 10);
        b.putText(trailer + 22, "MYCMD", 10);
        b.putU16(0x65, static_cast<std::uint32_t>(trailer));
    }
};

const std::vector<std::string> kBuiltSource = {
    "/* CRTCMD CMD(MYCMD) PGM(MYLIB/MYPGM) MSGF(*LIBL/QCPFMSG) HLPPNLGRP(MYLIB/MYHLP) HLPID(MYCMD) */",
    "/* ODD: TYPE code 7 not decoded */",
    "             CMD        PROMPT('Do something')",
    "             PARM       KWD(LIB) TYPE(*NAME) LEN(10) DFT(*LIBL) +",
    "                          SPCVAL((*LIBL) (*CURLIB)) MIN(1) EXPR(*YES) +",
    "                          PROMPT('Library')",
    "             PARM       KWD(COUNT) TYPE(*DEC) LEN(5 0) DFT(10) +",
    "                          RANGE(0 1000) SPCVAL((*MAX 99999)) +",
    "                          PMTCTL(P1) PROMPT('Count')",
    "             PARM       KWD(OBJ) TYPE(Q1) MIN(1) PROMPT('Object')",
    " Q1:         QUAL       TYPE(*NAME) LEN(10) MIN(1)",
    "             QUAL       TYPE(*NAME) LEN(10) DFT(*LIBL) +",
    "                          PROMPT('Library')",
    "             PARM       KWD(SIZE) TYPE(E1) MAX(3)",
    " E1:         ELEM       TYPE(*DEC) LEN(5 0) PROMPT('Width')",
    "             ELEM       TYPE(*CHAR) LEN(4) RSTD(*YES) VALUES(*MM *IN) +",
    "                          PROMPT('Unit')",
    "             PARM       KWD(TEXT) TYPE(*CHAR) LEN(50) DFT(' ') +",
    "                          CASE(*MIXED) DSPINPUT(*NO) PMTCTL(*PMTRQS) +",
    "                          PROMPT('Text ''quoted''')",
    "             PARM       KWD(ODD)",
    " P1:         PMTCTL     CTL(LIB) COND((*EQ *LIBL)) NBRTRUE(*EQ 1)",
};

TEST(CommandDescribe, BuiltDefinitionAsSource) {
    BuiltCommand built;
    Cp037Converter converter;
    CommandDefinition command = CommandReader(converter).read(built.b.bytes());
    EXPECT_EQ(CommandSource::lines(command, "MYCMD"), kBuiltSource);
    EXPECT_EQ(command.program.name, "MYPGM");
    EXPECT_TRUE(command.validityChecker.empty());
    ASSERT_EQ(command.parameters.size(), 6u);
    EXPECT_EQ(command.parameters[2].parts.size(), 2u);
    EXPECT_FALSE(command.parameters[5].type.has_value());
}

// Our own source read back as statements and written again gives the same lines.
TEST(CommandDescribe, SourceRoundTrip) {
    std::vector<std::string> statementLines(kBuiltSource.begin() + 2, kBuiltSource.end());
    std::vector<ClStatement> parsed = ClSourceText::parse(kBuiltSource);
    EXPECT_EQ(ClSourceText::format(parsed), statementLines);
    BuiltCommand built;
    Cp037Converter converter;
    EXPECT_EQ(parsed, CommandSource::statements(CommandReader(converter).read(built.b.bytes())));
}

TEST(CommandDescribe, ParsesContinuationsAndComments) {
    std::vector<ClStatement> parsed = ClSourceText::parse({
        "/* a comment */",
        " A:  PARM  KWD(X) /* inside */ TYPE(*CHAR) PROMPT('one +",
        "             two') VALUES('(' ')')",
        "",
        "   CMD  PROMPT('x -",
        "  y')",
    });
    ASSERT_EQ(parsed.size(), 2u);
    EXPECT_EQ(
        parsed[0],
        (ClStatement{
            "A", "PARM", {{"KWD", "X"}, {"TYPE", "*CHAR"}, {"PROMPT", "'one two'"}, {"VALUES", "'(' ')'"}}}));
    EXPECT_EQ(parsed[1], (ClStatement{"", "CMD", {{"PROMPT", "'x   y'"}}}));
}

// The forms the real saves showed beside those above: *DEC RANGE and REL numbers kept packed
// alone (a V4R5 command and a later one), a REL value CL must quote, and two parameters of the
// same QUAL type sharing one chain of parts, read for each.
struct SharedAndPackedCommand {
    CommandSpaceBuilder b;
    std::vector<std::size_t> parameters;
    std::size_t firstQualifier = 0;
    std::size_t one = 0;

    SharedAndPackedCommand() {
        b.putText(0x02, "PGM", 10);
        b.putText(0x0C, "*LIBL", 10);
        b.putText(0x18, "*", 10);
        b.putU8(0x100, 0);
        one = b.append({0x00, 0x00, 0x1F});
        std::size_t top = b.append({0x65, 0x53, 0x3F});
        std::size_t below = b.append({0x37, 0x8D});
        std::size_t job = b.value("*JOB");
        std::size_t zero = b.append({0x00, 0x00, 0x0F});
        std::size_t quote = b.value("\"");
        std::size_t libl = b.value("*LIBL");

        Entry ccsid;
        ccsid.keyword = "CCSID";
        ccsid.number = 1;
        ccsid.type = 0x01;
        ccsid.length = 5;
        ccsid.items = cat({item(4, cat({u16(2),
                                        {3},
                                        u16(static_cast<std::uint32_t>(one)),
                                        {6},
                                        u16(static_cast<std::uint32_t>(top))})),
                           item(2, cat({u16(1),
                                        u16(0),
                                        {0xA1},
                                        u16(static_cast<std::uint32_t>(job)),
                                        u16(static_cast<std::uint32_t>(zero))}))});
        parameters.push_back(write(b, ccsid));

        Entry offset;
        offset.keyword = "OFFSET";
        offset.number = 2;
        offset.type = 0x01;
        offset.length = 3;
        offset.items = item(4, cat({u16(1), {5}, u16(static_cast<std::uint32_t>(below))}));
        parameters.push_back(write(b, offset));

        Entry delimiter;
        delimiter.keyword = "DLM";
        delimiter.number = 3;
        delimiter.length = 1;
        delimiter.items = item(4, cat({u16(1), {5}, u16(static_cast<std::uint32_t>(quote))}));
        parameters.push_back(write(b, delimiter));

        Entry name;
        name.kind = 0x80;
        name.type = 0x05;
        name.minimum = 1;
        firstQualifier = write(b, name);
        Entry library;
        library.kind = 0x80;
        library.type = 0x05;
        library.items = item(1, cat({{0x05}, u16(static_cast<std::uint32_t>(libl))}));
        link(b, {firstQualifier, write(b, library)}, false);
        for (const char* keyword : {"FROM", "TO"}) {
            Entry object;
            object.keyword = keyword;
            object.number = static_cast<std::uint32_t>(parameters.size() + 1);
            object.kind = 0x04;
            object.type = 0;
            object.length = 20;
            object.firstPart = firstQualifier;
            parameters.push_back(write(b, object));
        }
        link(b, parameters, true);
        b.putU16(0x7D, static_cast<std::uint32_t>(parameters.front()));
        b.putU16(0x7F, static_cast<std::uint32_t>(parameters.size()));
    }
};

TEST(CommandDescribe, PackedNumbersQuotedRelationsAndSharedParts) {
    SharedAndPackedCommand built;
    Cp037Converter converter;
    CommandDefinition command = CommandReader(converter).read(built.b.bytes());
    EXPECT_EQ(CommandSource::lines(command, "CMD"),
              (std::vector<std::string>{
                  "/* CRTCMD CMD(CMD) PGM(*LIBL/PGM) */",
                  "             CMD",
                  "             PARM       KWD(CCSID) TYPE(*DEC) LEN(5 0) RANGE(1 65533) +",
                  "                          SPCVAL((*JOB 0))",
                  "             PARM       KWD(OFFSET) TYPE(*DEC) LEN(3 0) REL(*NE -378)",
                  "             PARM       KWD(DLM) TYPE(*CHAR) LEN(1) REL(*NE '\"')",
                  "             PARM       KWD(FROM) TYPE(Q1)",
                  " Q1:         QUAL       TYPE(*NAME) LEN(10) MIN(1)",
                  "             QUAL       TYPE(*NAME) LEN(10) DFT(*LIBL)",
                  "             PARM       KWD(TO) TYPE(Q2)",
                  " Q2:         QUAL       TYPE(*NAME) LEN(10) MIN(1)",
                  "             QUAL       TYPE(*NAME) LEN(10) DFT(*LIBL)",
              }));

    struct Spoil {
        const char* what;
        void (*apply)(SharedAndPackedCommand&);
    };
    const Spoil spoils[] = {
        // The first RANGE number's sign half made a digit: neither text nor packed.
        {"packed number without a sign", [](SharedAndPackedCommand& c) { c.b.putU8(c.one + 2, 0x11); }},
        {"shared parts leading back to their parameter",
         [](SharedAndPackedCommand& c) {
             c.b.putU16(c.firstQualifier, static_cast<std::uint32_t>(c.parameters[3]));
         }},
    };
    for (const Spoil& spoil : spoils) {
        SharedAndPackedCommand spoiled;
        spoil.apply(spoiled);
        EXPECT_THROW(CommandReader(converter).read(spoiled.b.bytes()), DecodingFailure) << spoil.what;
    }
}

// Parameters sharing one chain of parts are read for each, but no more often in all than a
// definition needs: 1200 parameters over one chain of 60 parts is refused, not read 72 000 times.
TEST(CommandDescribe, SharedPartsAreReadABoundedNumberOfTimes) {
    CommandSpaceBuilder b;
    b.putU8(0x100, 0);
    std::vector<std::size_t> parts;
    for (int i = 0; i < 60; ++i) {
        Entry part;
        part.kind = 0x80;
        part.type = 0x05;
        parts.push_back(write(b, part));
    }
    link(b, parts, false);
    std::vector<std::size_t> parameters;
    for (std::uint32_t i = 0; i < 1200; ++i) {
        Entry parameter;
        parameter.keyword = "P" + std::to_string(i);
        parameter.number = i + 1;
        parameter.kind = 0x04;
        parameter.type = 0;
        parameter.firstPart = parts.front();
        parameters.push_back(write(b, parameter));
    }
    link(b, parameters, true);
    b.putU16(0x7D, static_cast<std::uint32_t>(parameters.front()));
    b.putU16(0x7F, static_cast<std::uint32_t>(parameters.size()));
    ASSERT_LT(b.end(), 0x10000u);
    Cp037Converter converter;
    EXPECT_THROW(CommandReader(converter).read(b.bytes()), DecodingFailure);
}

// Spoiled in each way a pointer or count can be: the read ends with DecodingFailure.
TEST(CommandDescribe, SpoiledDefinitions) {
    struct Spoil {
        const char* what;
        void (*apply)(BuiltCommand&);
    };
    const Spoil spoils[] = {
        {"parameter pointer past the data", [](BuiltCommand& c) { c.b.putU16(0x7D, 0xFFF0); }},
        {"parameter chain in a circle",
         [](BuiltCommand& c) { c.b.putU16(c.parameters[1], static_cast<std::uint32_t>(c.parameters[0])); }},
        {"parameter count too large", [](BuiltCommand& c) { c.b.putU16(0x7F, 60000); }},
        {"last parameter leads back to the first",
         [](BuiltCommand& c) {
             c.b.putU16(c.parameters.back(), static_cast<std::uint32_t>(c.parameters.front()));
         }},
        {"group parts in a circle",
         [](BuiltCommand& c) {
             c.b.putU16(c.parameters[2] + 2, static_cast<std::uint32_t>(c.parameters[2]));
         }},
        {"item length zero", [](BuiltCommand& c) { c.b.putU16(c.parameters[0] + 42, 0); }},
        {"value pointer past the data", [](BuiltCommand& c) { c.b.putU16(c.parameters[0] + 45, 0xFFFF); }},
        {"prompt pointer past the data", [](BuiltCommand& c) { c.b.putU16(c.parameters[0] + 21, 0xFFFE); }},
        {"trailer past the data", [](BuiltCommand& c) { c.b.putU16(0x65, 0xFFFF); }},
    };
    Cp037Converter converter;
    for (const Spoil& spoil : spoils) {
        BuiltCommand built;
        spoil.apply(built);
        EXPECT_THROW(CommandReader(converter).read(built.b.bytes()), DecodingFailure) << spoil.what;
    }
    BuiltCommand built;
    Bytes bytes = built.b.bytes();
    SaveFileBuilder::putU32(bytes, 0xE1C, 0x0800);
    EXPECT_THROW(CommandReader(converter).read(bytes), DecodingFailure) << "space before its segment";
}

// Every cut of the object's data either reads or fails cleanly.
TEST(CommandDescribe, TruncationSweep) {
    BuiltCommand built;
    Bytes whole = built.b.bytes();
    Cp037Converter converter;
    for (std::size_t size = 0; size < whole.size(); ++size) {
        Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        try {
            CommandReader(converter).read(cut);
        } catch (const DecodingFailure&) {
        }
    }
    SUCCEED();
}

}  // namespace
}  // namespace quelvane::test
