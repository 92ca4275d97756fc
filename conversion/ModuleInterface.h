#pragma once

#include <cstddef>
#include <cstdint>

// What the conversion layer and the two conversion modules agree on: the entry points each
// module exports and the request block of the data-translation module. Both sides include this
// header, so a change here changes both.

namespace quelvane {

// The request block keeps the field order and constants of the original 32-byte block. Its two
// addresses are native pointers: a 32-bit field cannot carry a 64-bit address. On a 32-bit
// build the layout is byte for byte the original one.
struct TrnsDtRequest {
    std::uint16_t requestCode;  // kTrnsDtRequestCode
    std::uint16_t reserved1;    // 0
    std::uint16_t sourceLength;
    const std::uint8_t* source;
    std::uint16_t targetLength;  // room in `target`; equal to the source length
    std::uint8_t* target;
    std::uint16_t reserved2;       // 0
    std::uint16_t ebcdicCodePage;  // low 16 bits of the host code page
    std::uint16_t pcCodePage;      // low 16 bits of the PC code page
    std::uint16_t direction;       // kTrnsDtHostToPc
    std::uint16_t options;         // kTrnsDtSubstituteUnmapped
};

inline constexpr std::uint16_t kTrnsDtRequestCode = 32;
inline constexpr std::uint16_t kTrnsDtHostToPc = 1;
inline constexpr std::uint16_t kTrnsDtSubstituteUnmapped = 1024;

// Arguments 7, 8 and the value behind argument 9 of SnaNlsMapString.
inline constexpr std::int32_t kSnaNlsHostText = 2;
inline constexpr std::int32_t kSnaNlsPcText = 2;
inline constexpr std::int32_t kSnaNlsSubstituteUnmapped = 1024;

static_assert(offsetof(TrnsDtRequest, requestCode) == 0);
static_assert(offsetof(TrnsDtRequest, reserved1) == 2);
static_assert(offsetof(TrnsDtRequest, sourceLength) == 4);
static_assert(offsetof(TrnsDtRequest, source) == 8);
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(TrnsDtRequest, targetLength) == 12);
static_assert(offsetof(TrnsDtRequest, target) == 16);
static_assert(offsetof(TrnsDtRequest, reserved2) == 20);
static_assert(offsetof(TrnsDtRequest, ebcdicCodePage) == 22);
static_assert(offsetof(TrnsDtRequest, pcCodePage) == 24);
static_assert(offsetof(TrnsDtRequest, direction) == 26);
static_assert(offsetof(TrnsDtRequest, options) == 28);
static_assert(sizeof(TrnsDtRequest) == 32);
#else
static_assert(offsetof(TrnsDtRequest, targetLength) == 16);
static_assert(offsetof(TrnsDtRequest, target) == 24);
static_assert(offsetof(TrnsDtRequest, reserved2) == 32);
static_assert(offsetof(TrnsDtRequest, ebcdicCodePage) == 34);
static_assert(offsetof(TrnsDtRequest, pcCodePage) == 36);
static_assert(offsetof(TrnsDtRequest, direction) == 38);
static_assert(offsetof(TrnsDtRequest, options) == 40);
static_assert(sizeof(TrnsDtRequest) == 48);
#endif

// Nonzero: the host page is accepted (0 is always accepted).
using SnaNlsInitFunction = std::int32_t (*)(std::int32_t ebcdicCodePage);

// Nonzero on success; on zero errno holds the failure code. `state` holds
// kSnaNlsSubstituteUnmapped at the call and the number of bytes produced on return.
using SnaNlsMapStringFunction = std::int32_t (*)(const std::uint8_t* source, std::uint8_t* target,
                                                 std::int32_t ebcdicCodePage, std::int32_t pcCodePage,
                                                 std::int32_t sourceLength, std::int32_t targetLength,
                                                 std::int32_t sourceKind, std::int32_t targetKind,
                                                 std::int32_t* state);

// 0 on success, otherwise an errno value.
using TrnsDtFunction = std::uint16_t (*)(TrnsDtRequest* request);

}  // namespace quelvane
