#pragma once

#include <string>
#include <utility>
#include <vector>

namespace quelvane {

// One CL statement in keyword form: an optional label, the command name and each parameter's
// keyword and value (the text between its parentheses).
struct ClStatement {
    std::string label;
    std::string command;
    std::vector<std::pair<std::string, std::string>> parameters;
    bool operator==(const ClStatement&) const = default;
};

// CL source lines in the prompter's layout: the label in columns 1-13, the command from column
// 14, the parameters from column 25, lines broken at a blank before column 72 with " +" and
// continued from column 27.
class ClSourceText {
  public:
    static std::vector<std::string> format(const std::vector<ClStatement>& statements);

    // The statements of CL source lines: comments and blank lines left out, "+" and "-"
    // continuations joined. A text that is not in keyword form gives a statement holding what
    // could be read of it.
    static std::vector<ClStatement> parse(const std::vector<std::string>& lines);
};

}  // namespace quelvane
