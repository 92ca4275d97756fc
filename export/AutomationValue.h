#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "export/AutomationFailure.h"

namespace quelvane {

// A counted reference to an object of an automation server, as the client hands it out. The
// handle means something only to the client that made it; 0 is no object.
struct AutomationObject {
    std::uint32_t handle = 0;

    bool operator==(const AutomationObject&) const = default;
};

// One argument or result of an automation call. Texts are the caller's 8-bit texts in the PC
// code page; the client turns them into the server's wide strings. A wide text is handed on as
// it is: file-system paths, which need not be spellable in the PC code page.
using AutomationValue = std::variant<std::monostate, bool, std::int32_t, std::uint32_t, double, std::string,
                                     AutomationObject, std::u16string>;

// The object a get or call returned; a result of another kind is the server's answer to a
// question the caller did not mean to ask, so it fails like the server would.
inline AutomationObject objectOf(const AutomationValue& value, const std::string& name) {
    if (const auto* object = std::get_if<AutomationObject>(&value)) {
        return *object;
    }
    throw AutomationFailure(name + " did not return an object");
}

}  // namespace quelvane
