#include "export/DeferredAutomationClient.h"

#include "export/AutomationFailure.h"

namespace quelvane {

AutomationClient& DeferredAutomationClient::made() {
    if (!client_) {
        throw AutomationFailure("The object reference is not valid");
    }
    return *client_;
}

AutomationObject DeferredAutomationClient::create(const std::string& programId) {
    if (!client_) {
        client_ = factory_();
    }
    return made().create(programId);
}

AutomationValue DeferredAutomationClient::get(AutomationObject object, const std::string& name,
                                              const Arguments& arguments) {
    return made().get(object, name, arguments);
}

void DeferredAutomationClient::set(AutomationObject object, const std::string& name,
                                   const AutomationValue& value) {
    made().set(object, name, value);
}

AutomationValue DeferredAutomationClient::call(AutomationObject object, const std::string& name,
                                               const Arguments& arguments) {
    return made().call(object, name, arguments);
}

void DeferredAutomationClient::run(AutomationObject object, const std::string& name,
                                   const Arguments& arguments) {
    made().run(object, name, arguments);
}

void DeferredAutomationClient::release(AutomationObject object) {
    made().release(object);
}

}  // namespace quelvane
