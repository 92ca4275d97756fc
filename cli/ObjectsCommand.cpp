#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliSession.h"
#include "conversion/ConversionLayer.h"
#include "conversion/PcTextToUtf8.h"
#include "views/ObjectList.h"
#include "views/ObjectListText.h"

namespace quelvane::cli {

// Every object of the save as DSPSAVF lists it, under the save's details, in catalog order: the
// text the window's object list saves and prints.
int runObjectsCommand(const std::vector<std::string>& arguments) {
    CliSession session;
    std::vector<std::string> rest = arguments;
    int status = session.start(rest, 1, 1, kObjectsUsage);
    if (status != kExitSuccess) {
        return status;
    }
    PcTextToUtf8 utf8(session.conversion().PcCodePage);
    const ObjectList list = ObjectList::of(session.catalog(), utf8);
    std::vector<const ObjectListRow*> rows;
    rows.reserve(list.rows.size());
    for (const ObjectListRow& row : list.rows) {
        rows.push_back(&row);
    }
    for (const std::string& line : ObjectListText::lines(list.headerLines, rows)) {
        session.writeUtf8Line(line);
    }
    return kExitSuccess;
}

}  // namespace quelvane::cli
