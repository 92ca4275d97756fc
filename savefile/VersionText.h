#pragma once

#include <string>

namespace quelvane {

// "Quelvane V" followed by the program's four-part file version. The version comes from the
// build (the project version), the platform's stand-in for a version resource.
std::string VersionText();

}  // namespace quelvane
