#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "savefile/SavedTimestamp.h"

namespace quelvane {

// One directory entry of a save of the integrated file system (SAV).
struct IfsEntry {
    enum class Kind { Directory, StreamFile, Other };

    // Absolute path, "/" separated, UTF-8 (the save stores UTF-16).
    std::string path;
    Kind kind = Kind::Other;
    // The system's type text ("*STMF", "*DIR", ...).
    std::string typeText;
    std::uint32_t mode = 0;
    std::uint64_t size = 0;
    std::optional<std::string> owner;
    std::optional<SavedTimestamp> modified;
    std::optional<SavedTimestamp> accessed;
    std::optional<SavedTimestamp> changed;
    std::optional<SavedTimestamp> saved;
    std::optional<std::uint16_t> ccsid;
    // The segment holding a stream file's data: its header block (from 0) and length in blocks;
    // dataBlock is -1 when the entry names no data segment or the save does not hold it.
    std::int64_t dataBlock = -1;
    std::int32_t dataLength = 0;
    // Why this entry's path or data cannot be trusted; empty when it can.
    std::string problem;
};

// What a save of the integrated file system holds: every saved directory's entries, in file
// order, and what could not be read.
struct IfsTreeNode;

struct IfsCatalog {
    std::optional<std::string> release;
    std::optional<std::string> targetRelease;
    std::vector<IfsEntry> entries;
    std::vector<std::string> problems;
    // The entries as a tree (IfsTree), kept by the window that built it for its navigation tree
    // so that the views find nodes in it; empty until then.
    std::shared_ptr<const IfsTreeNode> tree;
};

}  // namespace quelvane
