#pragma once

#include <string>

namespace quelvane {

// The rows of the two Options lists as JSON, for a page to offer what the window offers:
// {"host": [{"page", "text", "pc"}], "pc": [{"page", "text"}], "defaultHost", "defaultPc"}, the
// host rows' "pc" being the PC page a selection of the row picks (absent where it leaves the PC
// row as it is) and the defaults the rows selected while nothing was confirmed.
std::string codePageRowsJson();

}  // namespace quelvane
