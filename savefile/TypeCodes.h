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

// The type text of each object type code the system's type conversion (hexadecimal to symbolic,
// without the leading '*') names, in code order; files (0x1901) show their attribute instead, and
// every other code a single space.
struct ObjectTypeName {
    std::uint16_t typeCode;
    const char* text;
};

inline constexpr std::array<ObjectTypeName, 78> kObjectTypeNames = {{
    {kProgramObjectType, "PGM"},
    {0x0202, "SQLPKG"},
    {0x0203, "SRVPGM"},
    {0x0301, "MODULE"},
    {0x0401, "LIB"},
    {0x0701, "JRNRCV"},
    {0x0801, "USRPRF"},
    {0x0901, "JRN"},
    {0x0A01, "DTAQ"},
    {0x0A02, "USRQ"},
    {0x0C01, "DIR"},
    {0x0E01, "JOBQ"},
    {0x0E02, "OUTQ"},
    {0x0E03, "MSGF"},
    {0x0E09, "ALRTBL"},
    {0x0E0A, "USRIDX"},
    {0x0E0F, "CRQD"},
    {0x1001, "DEVD"},
    {0x1201, "CTLD"},
    {0x1401, "COSD"},
    {0x1701, "CNNL"},
    {0x1902, "MSGQ"},
    {0x1903, "JOBD"},
    {0x1904, "CLS"},
    {0x1905, "CMD"},
    {0x1906, "TBL"},
    {0x1907, "PRTIMG"},
    {0x1908, "EDTD"},
    {0x1909, "SBSD"},
    {kDataAreaObjectType, "DTAARA"},
    {0x190B, "CLD"},
    {0x190C, "GSS"},
    {0x190D, "CHTFMT"},
    {0x190E, "DOC"},
    {0x190F, "DOCL"},
    {0x1910, "IGCTBL"},
    {0x1911, "QRYDFN"},
    {0x1912, "FLR"},
    {0x1913, "EXITRG"},
    {0x1914, "NTBD"},
    {0x1915, "PNLGRP"},
    {0x1916, "MENU"},
    {0x1917, "SVRSTG"},
    {0x1918, "CFGL"},
    {0x1919, "S36"},
    {0x191A, "IGCSRT"},
    {0x191B, "PRDDFN"},
    {0x191C, "MEDDFN"},
    {0x191D, "PRDLOD"},
    {0x191E, "IPXD"},
    {0x191F, "SQLUDT"},
    {0x1920, "DTADCT"},
    {0x1921, "LOCALE"},
    {0x1922, "CSPMAP"},
    {0x1923, "CSPTBL"},
    {0x1924, "M36CFG"},
    {0x1925, "PSFCFG"},
    {0x1926, "FNTRSC"},
    {0x1927, "PAGSEG"},
    {0x1928, "FORMDF"},
    {0x1929, "OVL"},
    {0x192A, "NODGRP"},
    {0x192B, "FNTTBL"},
    {0x192C, "CRG"},
    {0x192D, "MGTCOL"},
    {0x192E, "IMGCLG"},
    {0x192F, "TIMZON"},
    {0x1930, "PDG"},
    {0x1931, "QMQRY"},
    {0x1934, "USRSPC"},
    {0x1935, "CSI"},
    {0x1937, "BNDDIR"},
    {0x1938, "WSCST"},
    {0x1B01, "AUTL"},
    {0x1E05, "BLKSF"},
    {0x1E06, "CHRSF"},
    {0x1F01, "DSTMF"},
    {0x1F02, "DDIR"},
}};

// Entry types of an integrated-file-system save: its stream files' data segments and its
// directory links carry them.
inline constexpr std::uint16_t kIfsStreamFileType = 0x1E01;
inline constexpr std::uint16_t kIfsDirectoryType = 0x0C01;

// Field type codes of a record format: the field entry's data type byte, then its usage byte
// (0x03, input and output).
inline constexpr std::uint16_t kBinaryFieldType = 0x0003;
// IEEE binary floating point of 4 or 8 bytes (DDS F; FLTPCN(*DOUBLE) gives 8).
inline constexpr std::uint16_t kFloatFieldType = 0x0103;
inline constexpr std::uint16_t kZonedFieldType = 0x0203;
inline constexpr std::uint16_t kPackedFieldType = 0x0303;
inline constexpr std::uint16_t kCharacterFieldType = 0x0403;
inline constexpr std::uint16_t kOpenCharacterFieldType = 0x0603;
// Double-byte characters only, without shift-out and shift-in (DDS G).
inline constexpr std::uint16_t kGraphicFieldType = 0x0503;
inline constexpr std::uint16_t kDateFieldType = 0x0B03;
inline constexpr std::uint16_t kTimeFieldType = 0x0C03;
inline constexpr std::uint16_t kTimestampFieldType = 0x0D03;

}  // namespace quelvane
