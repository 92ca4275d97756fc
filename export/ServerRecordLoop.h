#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "export/ExportSession.h"

namespace quelvane {

// The record loop the Word and Excel writers share. Every slot of the member that holds a record
// becomes one row (slot n in row n + 2, under the header row); `startRow`, when given, is told
// each such row before its first cell of a file with fields, and `putCell` gets every field's
// export text (columns from 1): in the PC page, or where the page would lose characters of it
// (reading by stored CCSID), `unicode` points at the whole text, which the cell takes instead. A
// failure while reading ends the loop the same way for both writers: the pass is closed, the
// writer's own box (`failureText`, `caption`) is shown, then an expansion failure's own text, and
// false is returned, after which each writer ends its server its own way.
using ServerRowStart = std::function<void(std::uint32_t row)>;
using ServerCellPut = std::function<void(std::uint32_t row, std::int32_t column, const std::string& text,
                                         const std::u16string* unicode)>;

bool writeServerRecords(ExportSession& session, MemberRef member, const char* failureText,
                        const char* caption, const ServerRowStart& startRow, const ServerCellPut& putCell);

}  // namespace quelvane
