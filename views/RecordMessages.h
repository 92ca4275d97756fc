#pragma once

namespace quelvane {

// The fixed messages of a records listing or export, shown as they are; where a cause is known
// it is given beside them, never in place of them.
inline constexpr const char* kReadingErrorMessage = "Error:during reading records";
inline constexpr const char* kMaxErrorMessage = " Max Error! ";

}  // namespace quelvane
