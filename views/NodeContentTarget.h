#pragma once

#include <string>

namespace quelvane {

// What the node content display drives besides the content list: the window caption, the two
// summary labels above the list, the "Export" and "Batch" toolbar buttons and the save summary.
// The desktop shell wires it to its window; the command-line tool prints it.
class NodeContentTarget {
  public:
    virtual ~NodeContentTarget() = default;

    // Sets the window caption and the status bar text.
    virtual void refreshTitle() = 0;
    virtual void setNodeTitle(const std::string& text) = 0;
    virtual void setNodeSummary(const std::string& text) = 0;
    // ToolButton2 ("Export") and ToolButton3 ("Batch").
    virtual void enableExport(bool enabled) = 0;
    virtual void enableBatch(bool enabled) = 0;
    // Fills the content list with the save summary and version notes.
    virtual void showVersion() = 0;
};

}  // namespace quelvane
