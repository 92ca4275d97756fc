#include "conversion/ConversionLayer.h"

#include <cerrno>
#include <cstdio>

#include "conversion/CodePageRegistry.h"
#include "conversion/ModuleInterface.h"
#include "conversion/ModuleLibrary.h"

namespace quelvane {

namespace {

#if defined(_WIN32)
constexpr const char* kNlsModuleFile = "TRNNLS.DLL";
constexpr const char* kTrnsDtModuleFile = "trnsdt.dll";
#elif defined(__APPLE__)
constexpr const char* kNlsModuleFile = "libtrnnls.dylib";
constexpr const char* kTrnsDtModuleFile = "libtrnsdt.dylib";
#else
constexpr const char* kNlsModuleFile = "libtrnnls.so";
constexpr const char* kTrnsDtModuleFile = "libtrnsdt.so";
#endif

// The request block carries lengths in 16-bit fields.
constexpr std::size_t kMaximumLength = 0xFFFF;

#if defined(ELIBACC)
constexpr std::uint32_t kModuleNotBound = ELIBACC;
#else
constexpr std::uint32_t kModuleNotBound = ENOENT;
#endif
constexpr std::uint32_t kLengthTooLong = EINVAL;
// A module that fails without saying why must not pass for a success.
constexpr std::uint32_t kUnexplainedFailure = EIO;

template <typename Function>
Function entryPointOf(const ModuleLibrary& library, const char* name) {
    return reinterpret_cast<Function>(library.entryPoint(name));
}

}  // namespace

struct ConversionLayer::Binding {
    ModuleLibrary nls;
    ModuleLibrary trnsdt;
    SnaNlsMapStringFunction snaNlsMapString = nullptr;
    SnaNlsInitFunction snaNlsInit = nullptr;
    TrnsDtFunction trnsDt = nullptr;
    std::string failure;
};

ConversionLayer::ConversionLayer(Notifier& notifier, std::string moduleDirectory, ModuleSearch search)
    : notifier_(notifier),
      moduleDirectory_(std::move(moduleDirectory)),
      search_(search),
      binding_(std::make_unique<Binding>()) {}

ConversionLayer::~ConversionLayer() = default;

bool ConversionLayer::BindNlsLibrary() {
    const bool searchSystemPath = search_ == ModuleSearch::programDirectoryThenSystem;
    Binding& binding = *binding_;
    if (!binding.nls.loaded()) {
        if (!binding.nls.load(moduleDirectory_, kNlsModuleFile, searchSystemPath)) {
            binding.failure = binding.nls.failure();
            notifier_.message("Unable to load SNANLS.DLL\n");
            return false;
        }
        binding.snaNlsMapString = entryPointOf<SnaNlsMapStringFunction>(binding.nls, "SnaNlsMapString");
        binding.snaNlsInit = entryPointOf<SnaNlsInitFunction>(binding.nls, "SnaNlsInit");
        if (binding.snaNlsMapString == nullptr || binding.snaNlsInit == nullptr) {
            notifier_.message("SnaNlsMapString() not found in trnnls.dll\n");
            ReleaseNlsLibrary();
            return false;
        }
        if (binding.snaNlsInit(EbcdicCodePage) == 0) {
            char text[64];
            std::snprintf(text, sizeof text, "EbcdicPage %d not supported in TRNNLS\n", EbcdicCodePage);
            notifier_.message(text);
            ReleaseNlsLibrary();
            return false;
        }
    }
    if (binding.trnsdt.loaded()) {
        return true;
    }
    if (!binding.trnsdt.load(moduleDirectory_, kTrnsDtModuleFile, searchSystemPath)) {
        binding.failure = binding.trnsdt.failure();
        notifier_.message("Unable to load Trnsdt.DLL\n");
        return false;
    }
    binding.trnsDt = entryPointOf<TrnsDtFunction>(binding.trnsdt, "TrnsDt");
    if (binding.trnsDt == nullptr) {
        notifier_.message("TrnsDt() not found in TRNSDT.DLL\n");
        ReleaseNlsLibrary();
        return false;
    }
    binding.failure.clear();
    return true;
}

std::string ConversionLayer::bindingFailure() const {
    return binding_->failure;
}

void ConversionLayer::ReleaseNlsLibrary() {
    // Every entry point of a freed library is cleared with it: a kept one would point into
    // unmapped code.
    Binding& binding = *binding_;
    binding.nls.release();
    binding.snaNlsMapString = nullptr;
    binding.snaNlsInit = nullptr;
    binding.trnsdt.release();
    binding.trnsDt = nullptr;
}

std::uint32_t ConversionLayer::ConvertEbcdicText(const std::uint8_t* source, std::size_t length,
                                                 std::uint8_t* target) {
    if (length > kMaximumLength) {
        return kLengthTooLong;
    }
    const Binding& binding = *binding_;
    if (isDoubleBytePcPage(PcCodePage)) {
        if (binding.trnsDt == nullptr) {
            return kModuleNotBound;
        }
        TrnsDtRequest request{};
        request.requestCode = kTrnsDtRequestCode;
        request.sourceLength = static_cast<std::uint16_t>(length);
        request.source = source;
        request.targetLength = static_cast<std::uint16_t>(length);
        request.target = target;
        request.ebcdicCodePage = static_cast<std::uint16_t>(EbcdicCodePage);
        request.pcCodePage = static_cast<std::uint16_t>(PcCodePage);
        request.direction = kTrnsDtHostToPc;
        request.options = kTrnsDtSubstituteUnmapped;
        return binding.trnsDt(&request);
    }
    if (binding.snaNlsMapString == nullptr) {
        return kModuleNotBound;
    }
    std::int32_t state = kSnaNlsSubstituteUnmapped;
    const auto length32 = static_cast<std::int32_t>(length);
    errno = 0;
    if (binding.snaNlsMapString(source, target, EbcdicCodePage, PcCodePage, length32, length32,
                                kSnaNlsHostText, kSnaNlsPcText, &state) != 0) {
        return 0;
    }
    const int failure = errno;
    return failure != 0 ? static_cast<std::uint32_t>(failure) : kUnexplainedFailure;
}

bool ConversionLayer::nlsBound() const {
    return binding_->nls.loaded();
}

bool ConversionLayer::trnsdtBound() const {
    return binding_->trnsdt.loaded();
}

}  // namespace quelvane
