#include <dlfcn.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "conversion/ConversionLayer.h"
#include "tests/conversion/fake/RecordedModuleCalls.h"
#include "tests/support/RecordingNotifier.h"

namespace quelvane {
namespace {

using Search = ConversionLayer::ModuleSearch;

// Each folder holds the stand-in modules for one binding case. Only that folder is searched,
// so modules installed on the system path cannot mask a missing one.
std::string moduleCase(const char* name) {
    return std::string(QUELVANE_MODULE_CASES_DIR) + "/" + name;
}

const std::string kNlsFile = "libtrnnls.so";
const std::string kTrnsDtFile = "libtrnsdt.so";

// The calls a stand-in module recorded; the layer has it loaded, so this finds the same copy.
class Recording {
  public:
    explicit Recording(const std::string& path) : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD)) {}
    ~Recording() {
        if (handle_ != nullptr) {
            dlclose(handle_);
        }
    }
    const test::RecordedModuleCalls& calls() const {
        auto function =
            reinterpret_cast<test::RecordedModuleCallsFunction>(dlsym(handle_, "RecordedModuleCalls"));
        return *function();
    }
    bool loaded() const { return handle_ != nullptr; }

  private:
    void* handle_;
};

TEST(ConversionLayerBinding, EachMissingPieceGivesItsMessageAndLeavesItsState) {
    struct Case {
        const char* folder;
        std::vector<std::string> messages;
        bool bound;
        bool nlsBound;
        bool trnsdtBound;
    };
    const Case cases[] = {
        {"none", {"Unable to load SNANLS.DLL\n"}, false, false, false},
        {"nls-without-entries", {"SnaNlsMapString() not found in trnnls.dll\n"}, false, false, false},
        {"nls-only", {"Unable to load Trnsdt.DLL\n"}, false, true, false},
        {"trnsdt-without-entry", {"TrnsDt() not found in TRNSDT.DLL\n"}, false, false, false},
        {"recording", {}, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        test::RecordingNotifier notifier;
        ConversionLayer layer(notifier, moduleCase(c.folder), Search::programDirectoryOnly);
        EXPECT_EQ(layer.BindNlsLibrary(), c.bound);
        EXPECT_EQ(notifier.texts(), c.messages);
        EXPECT_TRUE(notifier.entries.empty() || notifier.entries[0].caption == "Quelvane");
        EXPECT_EQ(layer.nlsBound(), c.nlsBound);
        EXPECT_EQ(layer.trnsdtBound(), c.trnsdtBound);
    }
}

// The fixed message names the module; the system's reason is kept beside it.
TEST(ConversionLayerBinding, AModuleThatDoesNotLoadKeepsTheSystemsReason) {
    const struct {
        const char* folder;
        std::string named;  // empty: no failure kept
    } cases[] = {
        {"none", moduleCase("none") + "/" + kNlsFile},
        {"nls-only", moduleCase("nls-only") + "/" + kTrnsDtFile},
        {"nls-without-entries", ""},
        {"recording", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        test::RecordingNotifier notifier;
        ConversionLayer layer(notifier, moduleCase(c.folder), Search::programDirectoryOnly);
        layer.BindNlsLibrary();
        if (c.named.empty()) {
            EXPECT_EQ(layer.bindingFailure(), "");
        } else {
            EXPECT_NE(layer.bindingFailure().find(c.named), std::string::npos) << layer.bindingFailure();
        }
    }
}

TEST(ConversionLayerBinding, InitialisesWithTheCurrentHostPageAndBindsOnlyOnce) {
    test::RecordingNotifier notifier;
    ConversionLayer layer(notifier, moduleCase("recording"), Search::programDirectoryOnly);
    ASSERT_TRUE(layer.BindNlsLibrary());
    Recording nls(moduleCase("recording") + "/" + kNlsFile);
    ASSERT_TRUE(nls.loaded());
    EXPECT_EQ(nls.calls().snaNlsInitCalls, 1);
    EXPECT_EQ(nls.calls().initEbcdicCodePage, 0);
    EXPECT_TRUE(layer.BindNlsLibrary());
    EXPECT_EQ(nls.calls().snaNlsInitCalls, 1);
    EXPECT_TRUE(notifier.entries.empty());
}

TEST(ConversionLayerBinding, DoubleBytePcPagesGoToTheRequestBlockOthersToTheMappingCall) {
    test::RecordingNotifier notifier;
    ConversionLayer layer(notifier, moduleCase("recording"), Search::programDirectoryOnly);
    ASSERT_TRUE(layer.BindNlsLibrary());
    Recording nls(moduleCase("recording") + "/" + kNlsFile);
    Recording trnsdt(moduleCase("recording") + "/" + kTrnsDtFile);

    const std::array<std::uint8_t, 11> source{0xD8, 0xE2, 0xE8, 0xE2, 0x40, 0x40,
                                              0x40, 0x40, 0x40, 0x40, 0x00};
    struct Case {
        std::int32_t ebcdicCodePage;
        std::int32_t pcCodePage;
        char mark;
    };
    const Case cases[] = {{935, 936, 'T'}, {930, 932, 'T'}, {933, 949, 'T'}, {20273, 950, 'T'},
                          {37, 1252, 'N'}, {500, 850, 'N'}, {1140, 0, 'N'},  {935, 1258, 'N'}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pcCodePage);
        layer.EbcdicCodePage = c.ebcdicCodePage;
        layer.PcCodePage = c.pcCodePage;
        const int mapCalls = nls.calls().snaNlsMapStringCalls;
        const int trnsDtCalls = trnsdt.calls().trnsDtCalls;
        std::array<std::uint8_t, 12> target{};
        EXPECT_EQ(layer.ConvertEbcdicText(source.data(), source.size(), target.data()), 0u);
        EXPECT_EQ(std::string(target.begin(), target.end()), std::string(11, c.mark) + '\0');
        if (c.mark == 'T') {
            EXPECT_EQ(trnsdt.calls().trnsDtCalls, trnsDtCalls + 1);
            EXPECT_EQ(nls.calls().snaNlsMapStringCalls, mapCalls);
            const TrnsDtRequest& request = trnsdt.calls().request;
            EXPECT_EQ(request.requestCode, 32);
            EXPECT_EQ(request.reserved1, 0);
            EXPECT_EQ(request.sourceLength, 11);
            EXPECT_EQ(request.source, source.data());
            EXPECT_EQ(request.targetLength, 11);
            EXPECT_EQ(request.target, target.data());
            EXPECT_EQ(request.reserved2, 0);
            EXPECT_EQ(request.ebcdicCodePage, c.ebcdicCodePage);
            EXPECT_EQ(request.pcCodePage, c.pcCodePage);
            EXPECT_EQ(request.direction, 1);
            EXPECT_EQ(request.options, 1024);
        } else {
            EXPECT_EQ(nls.calls().snaNlsMapStringCalls, mapCalls + 1);
            EXPECT_EQ(trnsdt.calls().trnsDtCalls, trnsDtCalls);
            const std::vector<std::int32_t> arguments(std::begin(nls.calls().mapArguments),
                                                      std::end(nls.calls().mapArguments));
            EXPECT_EQ(arguments, (std::vector<std::int32_t>{c.ebcdicCodePage, c.pcCodePage, 11, 11, 2, 2}));
            EXPECT_EQ(nls.calls().mapState, 1024);
        }
    }
}

TEST(ConversionLayerBinding, WithoutItsModuleAConversionFailsAndLeavesTheTargetAlone) {
    const std::array<std::uint8_t, 4> source{0xC1, 0xC2, 0xC3, 0x00};
    struct Case {
        const char* folder;
        std::int32_t pcCodePage;
        bool converts;
    };
    const Case cases[] = {
        {"none", 1252, false},
        {"none", 936, false},
        {"nls-only", 1252, true},
        {"nls-only", 936, false},
        {"trnsdt-without-entry", 850, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.folder) + " " + std::to_string(c.pcCodePage));
        test::RecordingNotifier notifier;
        ConversionLayer layer(notifier, moduleCase(c.folder), Search::programDirectoryOnly);
        layer.BindNlsLibrary();
        layer.PcCodePage = c.pcCodePage;
        std::array<std::uint8_t, 4> target{'k', 'e', 'e', 'p'};
        const std::uint32_t status = layer.ConvertEbcdicText(source.data(), source.size(), target.data());
        if (c.converts) {
            EXPECT_EQ(status, 0u);
        } else {
            EXPECT_NE(status, 0u);
            EXPECT_EQ(std::string(target.begin(), target.end()), "keep");
        }
    }
}

TEST(ConversionLayerBinding, ALengthPastSixteenBitsIsRefusedBeforeAnyCall) {
    test::RecordingNotifier notifier;
    ConversionLayer layer(notifier, moduleCase("recording"), Search::programDirectoryOnly);
    ASSERT_TRUE(layer.BindNlsLibrary());
    std::vector<std::uint8_t> source(0x10000, 0xC1);
    std::vector<std::uint8_t> target(source.size(), 'k');
    for (const std::int32_t pcCodePage : {1252, 936}) {
        layer.PcCodePage = pcCodePage;
        EXPECT_NE(layer.ConvertEbcdicText(source.data(), source.size(), target.data()), 0u);
        EXPECT_EQ(target, std::vector<std::uint8_t>(source.size(), 'k'));
    }
}

}  // namespace
}  // namespace quelvane
