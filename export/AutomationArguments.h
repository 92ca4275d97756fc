#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "export/AutomationFailure.h"
#include "export/AutomationServerObject.h"

namespace quelvane {

// Checks the arguments of one member call of an in-process server the way late binding does:
// a missing or surplus argument and a value of the wrong type raise AutomationFailure.
class AutomationArguments {
  public:
    AutomationArguments(std::string_view member, std::span<const AutomationServerValue> arguments);

    // The arguments of a property put: the one value.
    AutomationArguments(std::string_view member, const AutomationServerValue& value);

    // Names are matched without regard to case.
    static bool sameName(std::string_view name, std::string_view known);
    [[noreturn]] static void unknownName(std::string_view name);

    void expectCount(std::size_t count) const;
    std::size_t count() const { return arguments_.size(); }

    // A signed or unsigned 32-bit integer.
    std::int64_t integer(std::size_t index) const;
    // An integer or a double.
    double number(std::size_t index) const;
    const std::u16string& text(std::size_t index) const;
    bool boolean(std::size_t index) const;

    template <class Object>
    std::shared_ptr<Object> object(std::size_t index) const {
        const auto* held = std::get_if<std::shared_ptr<AutomationServerObject>>(&at(index));
        std::shared_ptr<Object> object = held ? std::dynamic_pointer_cast<Object>(*held) : nullptr;
        if (!object) {
            typeMismatch(index);
        }
        return object;
    }

  private:
    const AutomationServerValue& at(std::size_t index) const;
    [[noreturn]] void typeMismatch(std::size_t index) const;

    std::string member_;
    std::span<const AutomationServerValue> arguments_;
};

}  // namespace quelvane
