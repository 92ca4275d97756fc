#pragma once

#include <cstdint>

#include "conversion/ModuleInterface.h"

namespace quelvane::test {

// What the recording stand-in module saw; read through its RecordedModuleCalls export.
struct RecordedModuleCalls {
    int snaNlsInitCalls = 0;
    std::int32_t initEbcdicCodePage = -1;
    int snaNlsMapStringCalls = 0;
    std::int32_t mapArguments[6] = {};  // host page, PC page, two lengths, two kinds
    std::int32_t mapState = 0;
    int trnsDtCalls = 0;
    TrnsDtRequest request{};
};

using RecordedModuleCallsFunction = const RecordedModuleCalls* (*)();

}  // namespace quelvane::test
