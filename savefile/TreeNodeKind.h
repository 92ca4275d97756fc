#pragma once

#include <cstdint>

namespace quelvane {

// What a node of the navigation tree stands for. Each presentation (the window, the web page)
// gives the kinds its own images.
enum class TreeNodeKind : std::uint8_t {
    Library,
    Part,
    Object,
    Member,
    IfsRoot,
    IfsDirectory,
    IfsFile,
};

}  // namespace quelvane
