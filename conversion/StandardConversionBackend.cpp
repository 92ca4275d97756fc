#include "conversion/ConversionBackend.h"

#if QUELVANE_CONVERSION_USES_ICU
#include "conversion/icu/IcuConversionBackend.h"
#else
#include "conversion/tables/TableConversionBackend.h"
#endif

namespace quelvane {

ConversionBackend& ConversionBackend::standard() {
#if QUELVANE_CONVERSION_USES_ICU
    return IcuConversionBackend::instance();
#else
    return TableConversionBackend::instance();
#endif
}

}  // namespace quelvane
