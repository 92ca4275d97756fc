#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliSession.h"
#include "export/ExportFormat.h"
#include "export/ExportSession.h"
#include "export/InProcessAutomationClient.h"
#include "views/MemoryContentList.h"
#include "views/NodeContentDisplay.h"

namespace quelvane::cli {

// Exit status of an export whose writer reported a failure, or that a raised failure stopped.
constexpr int kExitExportFailed = 3;

// What the export and batch commands share: their arguments, the opened save file, the chosen
// node and an export session over the in-process Word and Excel servers. The command line keeps
// its working directory. Fields are read by the pair unless --ccsid stored: then by their stored
// CCSIDs, written in the PC page as the window's exports write them with its choice on; a text
// file in UTF-8 with --encoding utf-8.
class CliExport {
  public:
    // `targetOption` is "-o" or "--dir"; `usage` is printed for wrong arguments.
    CliExport(const char* targetOption, const char* usage);
    ~CliExport();

    // Reads the arguments, opens the save file and finds the node. Returns an exit status;
    // success when the export can run.
    int prepare(const std::vector<std::string>& arguments);

    ExportSession& session() { return *exportSession_; }
    const std::optional<NodePosition>& node() const { return node_; }
    ExportFormat format() const { return format_; }
    // The -o or --dir argument, as given.
    const std::string& target() const { return target_; }
    // With --ccsid stored: each field a fallback was used for, once, on stderr; and the names
    // read as Latin-1 where the PC page has no converter.
    void reportFallbacks() const;

  private:
    int usageError(const std::string& why) const;

    const char* targetOption_;
    const char* usage_;
    CliSession cli_;
    MemoryContentList list_;
    std::unique_ptr<ViewSession> views_;
    std::unique_ptr<InProcessAutomationClient> automation_;
    std::unique_ptr<ExportSession> exportSession_;
    std::optional<NodePosition> node_;
    ExportFormat format_ = ExportFormat::Text;
    std::string target_;
};

}  // namespace quelvane::cli
