#pragma once

#include <array>
#include <cstdint>

namespace quelvane {

// A type code is the value of the two stored type bytes, first byte high (bytes 19 01 are
// 0x1901). The catalog keeps it as that number, read once when the entry is parsed.

// Object type codes with a meaning of their own to the views.
inline constexpr std::uint16_t kProgramObjectType = 0x0201;
inline constexpr std::uint16_t kFileObjectType = 0x1901;
inline constexpr std::uint16_t kDataAreaObjectType = 0x190A;

// The type text each known object type code is shown with; files (0x1901) show their attribute
// instead, and every other code a single space.
struct ObjectTypeName {
    std::uint16_t typeCode;
    const char* text;
};

inline constexpr std::array<ObjectTypeName, 18> kObjectTypeNames = {{
    {kProgramObjectType, "PGM"},
    {0x0202, "SQLPKG"},
    {0x0203, "SRVPGM"},
    {0x0301, "MODULE"},
    {0x0401, "LIB"},
    {0x0701, "JRNRCV"},
    {0x0901, "JRN"},
    {0x0A01, "DTAQ"},
    {0x0E01, "JOBQ"},
    {0x0E02, "OUTQ"},
    {0x0E03, "MSGF"},
    {0x1902, "MSGQ"},
    {0x1903, "JOBD"},
    {0x1905, "CMD"},
    {kDataAreaObjectType, "DTAARA"},
    {0x1915, "PNLGRP"},
    {0x1916, "MENU"},
    {0x1934, "USRSPC"},
}};

// Field type codes of a record format.
inline constexpr std::uint16_t kBinaryFieldType = 0x0003;
inline constexpr std::uint16_t kZonedPointedFieldType = 0x0103;
inline constexpr std::uint16_t kZonedFieldType = 0x0203;
inline constexpr std::uint16_t kPackedFieldType = 0x0303;
inline constexpr std::uint16_t kCharacterFieldType = 0x0403;
inline constexpr std::uint16_t kOpenCharacterFieldType = 0x0603;
inline constexpr std::uint16_t kDateFieldType = 0x0B03;
inline constexpr std::uint16_t kTimeFieldType = 0x0C03;
inline constexpr std::uint16_t kTimestampFieldType = 0x0D03;

}  // namespace quelvane
