#include "describe/ClStatement.h"

#include <cctype>

namespace quelvane {

namespace {

constexpr std::size_t kLabelColumns = 13;
constexpr std::size_t kCommandColumns = 11;
constexpr std::size_t kContinuationIndent = 26;
constexpr std::size_t kLastColumn = 71;

std::string padded(std::string text, std::size_t width) {
    if (text.size() < width) {
        text.append(width - text.size(), ' ');
    } else {
        text += ' ';
    }
    return text;
}

// Breaks `text` after blanks so that no line passes the last column; a piece with no blank to
// break at stays whole.
void appendWrapped(std::vector<std::string>& lines, std::string line, const std::string& text) {
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t room = kLastColumn > line.size() + 2 ? kLastColumn - line.size() - 2 : 0;
        if (text.size() - at <= room + 2) {
            line += text.substr(at);
            break;
        }
        std::size_t cut = text.rfind(' ', at + room);
        if (cut == std::string::npos || cut < at) {
            cut = text.find(' ', at + room);
            if (cut == std::string::npos) {
                line += text.substr(at);
                break;
            }
        }
        // The blanks before "+" stay in the statement, those that start the next line do not:
        // a run of blanks stays whole on the broken line.
        while (cut + 1 < text.size() && text[cut + 1] == ' ') {
            ++cut;
        }
        line += text.substr(at, cut + 1 - at) + "+";
        lines.push_back(line);
        line = std::string(kContinuationIndent, ' ');
        at = cut + 1;
    }
    std::size_t end = line.find_last_not_of(' ');
    lines.push_back(line.substr(0, end == std::string::npos ? 0 : end + 1));
}

std::string withoutComments(const std::string& line, bool& inComment) {
    std::string out;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (inComment) {
            if (line.compare(i, 2, "*/") == 0) {
                inComment = false;
                ++i;
            }
            continue;
        }
        if (line[i] == '\'') {
            quoted = !quoted;
        } else if (!quoted && line.compare(i, 2, "/*") == 0) {
            inComment = true;
            ++i;
            continue;
        }
        out += line[i];
    }
    return out;
}

std::string trimmed(const std::string& text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

// The text of one statement: a trailing "+" keeps what stands before it and drops the blanks
// that start the next line; a trailing "-" keeps those blanks too.
std::vector<std::string> joinedStatements(const std::vector<std::string>& lines) {
    std::vector<std::string> statements;
    std::string current;
    bool continued = false;
    bool keepBlanks = false;
    bool inComment = false;
    for (const std::string& raw : lines) {
        std::string line = withoutComments(raw, inComment);
        std::size_t end = line.find_last_not_of(' ');
        std::string piece = end == std::string::npos ? std::string() : line.substr(0, end + 1);
        if (continued && !keepBlanks) {
            std::size_t first = piece.find_first_not_of(' ');
            piece = first == std::string::npos ? std::string() : piece.substr(first);
        }
        bool more = !piece.empty() && (piece.back() == '+' || piece.back() == '-');
        keepBlanks = more && piece.back() == '-';
        if (more) {
            piece.pop_back();
        }
        current += piece;
        continued = more;
        if (!more) {
            if (!trimmed(current).empty()) {
                statements.push_back(trimmed(current));
            }
            current.clear();
        }
    }
    if (!trimmed(current).empty()) {
        statements.push_back(trimmed(current));
    }
    return statements;
}

ClStatement parsedStatement(const std::string& text) {
    ClStatement statement;
    std::size_t at = 0;
    auto word = [&]() {
        std::size_t start = at;
        while (at < text.size() && text[at] != ' ' && text[at] != '(' && text[at] != ':') {
            ++at;
        }
        return text.substr(start, at - start);
    };
    auto skipBlanks = [&]() {
        while (at < text.size() && text[at] == ' ') {
            ++at;
        }
    };
    std::string first = word();
    skipBlanks();
    if (at < text.size() && text[at] == ':') {
        statement.label = first;
        ++at;
        skipBlanks();
        first = word();
    }
    statement.command = first;
    while (true) {
        skipBlanks();
        if (at >= text.size()) {
            break;
        }
        std::string keyword = word();
        if (at >= text.size() || text[at] != '(') {
            statement.parameters.emplace_back("", keyword);
            continue;
        }
        int depth = 0;
        bool quoted = false;
        std::size_t start = ++at;
        for (; at < text.size(); ++at) {
            char c = text[at];
            if (c == '\'') {
                quoted = !quoted;
            } else if (!quoted && c == '(') {
                ++depth;
            } else if (!quoted && c == ')') {
                if (depth-- == 0) {
                    break;
                }
            }
        }
        statement.parameters.emplace_back(keyword, text.substr(start, at - start));
        ++at;
    }
    return statement;
}

}  // namespace

std::vector<std::string> ClSourceText::format(const std::vector<ClStatement>& statements) {
    std::vector<std::string> lines;
    for (const ClStatement& statement : statements) {
        std::string line =
            padded(statement.label.empty() ? std::string(" ") : " " + statement.label + ":", kLabelColumns);
        line = padded(line + statement.command, kLabelColumns + kCommandColumns);
        std::string text;
        for (const auto& [keyword, value] : statement.parameters) {
            text += (text.empty() ? "" : " ") + (keyword.empty() ? value : keyword + "(" + value + ")");
        }
        appendWrapped(lines, line, text);
    }
    return lines;
}

std::vector<ClStatement> ClSourceText::parse(const std::vector<std::string>& lines) {
    std::vector<ClStatement> statements;
    for (const std::string& text : joinedStatements(lines)) {
        statements.push_back(parsedStatement(text));
    }
    return statements;
}

}  // namespace quelvane
