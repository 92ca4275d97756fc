#pragma once

#include <cstdint>
#include <string>

#include "export/ExportSession.h"

namespace quelvane {

// Writes one line per record of the member to the text file at `path` (replacing it): the
// fields' export texts in record-format order, each followed by "|" with the splitter option,
// lines and line feeds inside fields ending in CR LF. The bytes are the PC-code-page texts.
// Reports its failures with the format's messages; an output file that cannot be created is
// also raised as ExportFailure.
ExportOutcome writeTextExport(ExportSession& session, MemberRef member, const std::string& path);

}  // namespace quelvane
