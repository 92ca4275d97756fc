// A stand-in for both conversion modules that converts nothing: it records each call so tests
// can see which entry point the conversion layer chose and what it passed, and marks the
// target with the entry point's letter.

#include <cstdint>
#include <cstring>

#include "tests/conversion/fake/RecordedModuleCalls.h"

namespace {

quelvane::test::RecordedModuleCalls recorded;

}  // namespace

extern "C" __attribute__((visibility("default"))) const quelvane::test::RecordedModuleCalls*
RecordedModuleCalls() {
    return &recorded;
}

extern "C" __attribute__((visibility("default"))) std::int32_t SnaNlsInit(std::int32_t ebcdicCodePage) {
    ++recorded.snaNlsInitCalls;
    recorded.initEbcdicCodePage = ebcdicCodePage;
    return 1;
}

extern "C" __attribute__((visibility("default"))) std::int32_t SnaNlsMapString(
    const std::uint8_t*, std::uint8_t* target, std::int32_t ebcdicCodePage, std::int32_t pcCodePage,
    std::int32_t sourceLength, std::int32_t targetLength, std::int32_t sourceKind, std::int32_t targetKind,
    std::int32_t* state) {
    ++recorded.snaNlsMapStringCalls;
    const std::int32_t arguments[6] = {ebcdicCodePage, pcCodePage, sourceLength,
                                       targetLength,   sourceKind, targetKind};
    std::memcpy(recorded.mapArguments, arguments, sizeof arguments);
    recorded.mapState = *state;
    std::memset(target, 'N', static_cast<std::size_t>(targetLength));
    return 1;
}

extern "C" __attribute__((visibility("default"))) std::uint16_t TrnsDt(quelvane::TrnsDtRequest* request) {
    ++recorded.trnsDtCalls;
    recorded.request = *request;
    std::memset(request->target, 'T', request->targetLength);
    return 0;
}
