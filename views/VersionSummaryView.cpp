#include "views/VersionSummaryView.h"

#include "savefile/VersionSummary.h"

namespace quelvane {

void showVersionSummary(ContentList& list, const SaveFileHeader& header) {
    list.clearColumns();
    list.clearRows();
    list.addColumn("", ContentList::kDefaultColumnWidth, ContentList::Alignment::Left,
                   ContentList::Sizing::Header);
    for (const std::string& line : saveSummaryLines(header)) {
        list.addRow(line);
    }
}

}  // namespace quelvane
