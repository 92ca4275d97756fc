#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace quelvane {

class AutomationServerObject;

// A value as an in-process server sees it: texts are already wide (UTF-16).
using AutomationServerValue = std::variant<std::monostate, bool, std::int32_t, std::uint32_t, double,
                                           std::u16string, std::shared_ptr<AutomationServerObject>>;

// One object of an in-process automation server. Names are matched without regard to case, as
// late binding does; a name the object does not know raises AutomationFailure.
class AutomationServerObject {
  public:
    virtual ~AutomationServerObject() = default;

    // Property get or method call (late binding does not tell them apart for these servers).
    virtual AutomationServerValue invoke(std::string_view name,
                                         std::span<const AutomationServerValue> arguments) = 0;
    // Property put.
    virtual void put(std::string_view name, const AutomationServerValue& value) = 0;
};

}  // namespace quelvane
