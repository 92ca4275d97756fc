#pragma once

#include <string>
#include <vector>

#include "export/AutomationValue.h"

namespace quelvane {

// The narrow late-bound interface through which the Word and Excel writers drive an automation
// server. A carrier implements it: over COM IDispatch on Windows, or in process. Every operation
// raises AutomationFailure with the server's text when it fails.
class AutomationClient {
  public:
    using Arguments = std::vector<AutomationValue>;

    virtual ~AutomationClient() = default;

    // Starts the server registered under `programId` and returns its application object.
    virtual AutomationObject create(const std::string& programId) = 0;
    // Property get; with arguments an indexed property such as Cells(row, column).
    virtual AutomationValue get(AutomationObject object, const std::string& name,
                                const Arguments& arguments = {}) = 0;
    // Property put with one value.
    virtual void set(AutomationObject object, const std::string& name, const AutomationValue& value) = 0;
    // Method call whose result the caller keeps or ignores.
    virtual AutomationValue call(AutomationObject object, const std::string& name,
                                 const Arguments& arguments = {}) = 0;
    // Method call without result.
    virtual void run(AutomationObject object, const std::string& name, const Arguments& arguments = {}) = 0;
    // Drops one reference; the last one lets the server discard the object. Releasing the
    // application does not make it quit.
    virtual void release(AutomationObject object) = 0;
};

}  // namespace quelvane
