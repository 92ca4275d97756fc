#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "conversion/ConversionLayer.h"
#include "conversion/EbcdicTextConverter.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/FakeConverter.h"
#include "tests/support/RecordingNotifier.h"

namespace quelvane {
namespace {

// What every EbcdicTextConverter does, whichever sits behind the readers and views: the real
// conversion layer over the modules (CCSID 37 to 1252), the CP037 table the tests use and the
// fake. Each maker gives one; a new converter gets a maker here and a place in the list.

struct LayerMaker {
    test::RecordingNotifier notifier;
    std::unique_ptr<ConversionLayer> layer;
    EbcdicTextConverter* make() {
        layer = std::make_unique<ConversionLayer>(notifier, QUELVANE_MODULE_DIR,
                                                  ConversionLayer::ModuleSearch::programDirectoryOnly);
        if (!layer->BindNlsLibrary()) {
            return nullptr;
        }
        layer->EbcdicCodePage = 37;
        layer->PcCodePage = 1252;
        return layer.get();
    }
};

struct Cp037Maker {
    test::Cp037Converter converter;
    EbcdicTextConverter* make() { return &converter; }
};

struct FakeMaker {
    test::FakeConverter converter;
    EbcdicTextConverter* make() { return &converter; }
};

using ConverterMakers = ::testing::Types<LayerMaker, Cp037Maker, FakeMaker>;

template <typename Maker>
class EbcdicTextConverterContract : public ::testing::Test {
  protected:
    void SetUp() override {
        converter = maker.make();
        if (converter == nullptr) {
            GTEST_SKIP() << "the conversion modules could not be bound";
        }
    }
    Maker maker;
    EbcdicTextConverter* converter = nullptr;
};

TYPED_TEST_SUITE(EbcdicTextConverterContract, ConverterMakers);

// Letters A to I, digits and the blank read the same under every EBCDIC page the program offers
// for Latin text; each converter gives their ASCII forms.
TYPED_TEST(EbcdicTextConverterContract, ConvertsTheInvariantLettersDigitsAndBlank) {
    const std::vector<std::uint8_t> source = {0xC1, 0xC9, 0x40, 0xF0, 0xF9};
    std::array<std::uint8_t, 5> target{};
    ASSERT_EQ(this->converter->ConvertEbcdicText(source.data(), source.size(), target.data()), 0u);
    EXPECT_EQ(std::string(target.begin(), target.end()), "AI 09");
}

// The target holds exactly `length` bytes: nothing past it is written, whatever the length.
TYPED_TEST(EbcdicTextConverterContract, WritesNoMoreThanTheLength) {
    for (std::size_t length : {std::size_t{0}, std::size_t{1}, std::size_t{7}, std::size_t{300}}) {
        const std::vector<std::uint8_t> source(length, 0xC1);
        std::vector<std::uint8_t> target(length + 4, 0xEE);
        EXPECT_EQ(this->converter->ConvertEbcdicText(source.data(), length, target.data()), 0u) << length;
        for (std::size_t i = length; i < target.size(); ++i) {
            EXPECT_EQ(target[i], 0xEE) << "length " << length << ", byte " << i;
        }
    }
}

}  // namespace
}  // namespace quelvane
