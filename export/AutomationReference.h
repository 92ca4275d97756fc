#pragma once

#include <string>

#include "export/AutomationClient.h"

namespace quelvane {

// One held reference to a server object that releases itself, so a chain such as
// app.ActiveDocument.Tables.Add(...) releases every intermediate object when its statement ends,
// and no reference outlives a step that raised:
//   app.get("ActiveDocument").get("Tables").run("Add", {...});
// Temporaries go in the reverse order of their making, as a writer releases them by hand.
class AutomationReference {
  public:
    AutomationReference() = default;
    AutomationReference(AutomationClient& client, AutomationObject object);
    ~AutomationReference();

    AutomationReference(AutomationReference&& other) noexcept;
    AutomationReference& operator=(AutomationReference&& other) noexcept;
    AutomationReference(const AutomationReference&) = delete;
    AutomationReference& operator=(const AutomationReference&) = delete;

    static AutomationReference create(AutomationClient& client, const std::string& programId);

    // A property that is an object; raises AutomationFailure when the server answers otherwise.
    AutomationReference get(const std::string& name, const AutomationClient::Arguments& arguments = {}) const;
    // A method whose result is kept when it is an object (and released with the reference).
    AutomationReference call(const std::string& name,
                             const AutomationClient::Arguments& arguments = {}) const;
    void set(const std::string& name, const AutomationValue& value) const;
    void run(const std::string& name, const AutomationClient::Arguments& arguments = {}) const;
    // Tells the server to quit, whatever went wrong before, so that no server outlives its
    // export; a server that fails to quit has nothing more to say. Word's Quit is run, Excel's
    // is called (its result is released with the reference).
    enum class QuitBy { Run, Call };
    void quitQuietly(QuitBy how) const;

    bool held() const { return client_ != nullptr; }
    // The object for use as an argument; the reference keeps holding it.
    AutomationObject object() const;
    // Releases now; raises what the client raises.
    void release();

  private:
    AutomationClient& client() const;

    AutomationClient* client_ = nullptr;
    AutomationObject object_;
};

}  // namespace quelvane
