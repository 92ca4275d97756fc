#include "export/AutomationArguments.h"

#include <algorithm>

namespace quelvane {

AutomationArguments::AutomationArguments(std::string_view member,
                                         std::span<const AutomationServerValue> arguments)
    : member_(member), arguments_(arguments) {}

AutomationArguments::AutomationArguments(std::string_view member, const AutomationServerValue& value)
    : member_(member), arguments_(&value, 1) {}

// Member names are ASCII and compared without regard to case in ASCII only, whatever the
// program's locale. Folded here rather than by std::tolower, whose call for each letter showed
// in the profile of a long export (every cell goes through a few named calls).
bool AutomationArguments::sameName(std::string_view name, std::string_view known) {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(name.begin(), name.end(), known.begin(), known.end(),
                      [&fold](char a, char b) { return fold(a) == fold(b); });
}

void AutomationArguments::unknownName(std::string_view name) {
    throw AutomationFailure("Unknown name: " + std::string(name));
}

void AutomationArguments::expectCount(std::size_t count) const {
    if (arguments_.size() != count) {
        throw AutomationFailure("Wrong number of arguments for " + member_ + ": " +
                                std::to_string(arguments_.size()) + " given, " + std::to_string(count) +
                                " expected");
    }
}

const AutomationServerValue& AutomationArguments::at(std::size_t index) const {
    if (index >= arguments_.size()) {
        throw AutomationFailure("Argument not optional: argument " + std::to_string(index + 1) + " of " +
                                member_);
    }
    return arguments_[index];
}

void AutomationArguments::typeMismatch(std::size_t index) const {
    throw AutomationFailure("Type mismatch: argument " + std::to_string(index + 1) + " of " + member_);
}

std::int64_t AutomationArguments::integer(std::size_t index) const {
    const AutomationServerValue& value = at(index);
    if (const auto* i = std::get_if<std::int32_t>(&value)) {
        return *i;
    }
    if (const auto* u = std::get_if<std::uint32_t>(&value)) {
        return *u;
    }
    typeMismatch(index);
}

double AutomationArguments::number(std::size_t index) const {
    if (const auto* d = std::get_if<double>(&at(index))) {
        return *d;
    }
    return static_cast<double>(integer(index));
}

const std::u16string& AutomationArguments::text(std::size_t index) const {
    const auto* text = std::get_if<std::u16string>(&at(index));
    if (text == nullptr) {
        typeMismatch(index);
    }
    return *text;
}

bool AutomationArguments::boolean(std::size_t index) const {
    const auto* flag = std::get_if<bool>(&at(index));
    if (flag == nullptr) {
        typeMismatch(index);
    }
    return *flag;
}

}  // namespace quelvane
