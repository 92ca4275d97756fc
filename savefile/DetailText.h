#pragma once

#include <string>
#include <vector>

#include "savefile/Catalog.h"

namespace quelvane {

// The save details as summary lines ("Saved 2020-08-17 22:31:41 on system ZYTEST, serial
// 10C4DAT", "Release V7R4, target release V7R4"); no line for details the file does not hold.
std::vector<std::string> saveDetailLines(const SaveDetails& details);

// An object's details on one line, comma-separated, in the order DSPSAVF users read them:
// owner, size, creation, release, licensed program, source. Empty when none was read.
std::string objectDetailText(const ObjectDetails& details);

// A member's dates on one line ("created 2023-07-13 09:08:14, changed 2023-06-30 02:39:53").
std::string memberDetailText(const SavedMember& member);

// An integrated-file-system entry's attributes on one line ("*STMF, 106347 bytes, modified
// 2000-05-27 03:51:09, owner TCPIP, CCSID 942"), then why it cannot be extracted, if so.
std::string ifsEntryText(const IfsEntry& entry);

}  // namespace quelvane
