#include "conversion/ConversionLayer.h"

namespace quelvane {

struct ConversionLayer::Binding {};

ConversionLayer::ConversionLayer(Notifier& notifier, std::string moduleDirectory)
    : notifier_(notifier), moduleDirectory_(std::move(moduleDirectory)), binding_(nullptr) {}

ConversionLayer::~ConversionLayer() = default;

bool ConversionLayer::BindNlsLibrary() { return false; }
void ConversionLayer::ReleaseNlsLibrary() {}
std::uint32_t ConversionLayer::ConvertEbcdicText(const std::uint8_t*, std::size_t, std::uint8_t*) { return 1; }
bool ConversionLayer::nlsBound() const { return false; }
bool ConversionLayer::trnsdtBound() const { return false; }

}  // namespace quelvane
