#include "export/InProcessAutomationClient.h"

#include <vector>

#include "conversion/UnknownPcPage.h"
#include "export/AutomationFailure.h"
#include "export/ExcelServer.h"
#include "export/WordServer.h"

namespace quelvane {

namespace {

// A carrier without a converter for its page fails as any other automation operation does.
PcPageWideText openCodec(std::int32_t pcCodePage) {
    try {
        return PcPageWideText(pcCodePage);
    } catch (const UnknownPcPage& failure) {
        throw AutomationFailure(failure.what());
    }
}

}  // namespace

InProcessAutomationClient::InProcessAutomationClient(std::int32_t pcCodePage)
    : codec_(openCodec(pcCodePage)) {
    registerServer("Word.Application", [] { return WordServer::createApplication(); });
    registerServer("Excel.Application", [] { return ExcelServer::createApplication(); });
}

void InProcessAutomationClient::registerServer(const std::string& programId, ServerFactory factory) {
    servers_[programId] = std::move(factory);
}

AutomationObject InProcessAutomationClient::create(const std::string& programId) {
    const auto server = servers_.find(programId);
    if (server == servers_.end()) {
        throw AutomationFailure("Invalid class string: " + programId);
    }
    return std::get<AutomationObject>(fromServer(server->second()));
}

AutomationServerObject& InProcessAutomationClient::target(AutomationObject object) {
    AutomationServerObject* reference = references_.find(object.handle);
    if (reference == nullptr) {
        throw AutomationFailure("The object reference is not valid");
    }
    return *reference;
}

AutomationServerValue InProcessAutomationClient::toServer(const AutomationValue& value) {
    return std::visit(
        [this](const auto& held) -> AutomationServerValue {
            using Held = std::decay_t<decltype(held)>;
            if constexpr (std::is_same_v<Held, std::string>) {
                return codec_.decode(held);
            } else if constexpr (std::is_same_v<Held, AutomationObject>) {
                const auto* reference = references_.findShared(held.handle);
                if (reference == nullptr) {
                    throw AutomationFailure("The object reference is not valid");
                }
                return *reference;
            } else {
                return held;
            }
        },
        value);
}

AutomationValue InProcessAutomationClient::fromServer(AutomationServerValue value) {
    return std::visit(
        [this](auto& held) -> AutomationValue {
            using Held = std::decay_t<decltype(held)>;
            if constexpr (std::is_same_v<Held, std::u16string>) {
                return codec_.encode(held);
            } else if constexpr (std::is_same_v<Held, std::shared_ptr<AutomationServerObject>>) {
                if (!held) {
                    return std::monostate{};
                }
                return AutomationObject{references_.add(std::move(held))};
            } else {
                return held;
            }
        },
        value);
}

AutomationValue InProcessAutomationClient::invoke(AutomationObject object, const std::string& name,
                                                  const Arguments& arguments) {
    AutomationServerObject& server = target(object);
    std::vector<AutomationServerValue> serverArguments;
    serverArguments.reserve(arguments.size());
    for (const AutomationValue& argument : arguments) {
        serverArguments.push_back(toServer(argument));
    }
    return fromServer(server.invoke(name, serverArguments));
}

AutomationValue InProcessAutomationClient::get(AutomationObject object, const std::string& name,
                                               const Arguments& arguments) {
    return invoke(object, name, arguments);
}

void InProcessAutomationClient::set(AutomationObject object, const std::string& name,
                                    const AutomationValue& value) {
    AutomationServerObject& server = target(object);
    server.put(name, toServer(value));
}

AutomationValue InProcessAutomationClient::call(AutomationObject object, const std::string& name,
                                                const Arguments& arguments) {
    return invoke(object, name, arguments);
}

void InProcessAutomationClient::run(AutomationObject object, const std::string& name,
                                    const Arguments& arguments) {
    const AutomationValue result = invoke(object, name, arguments);
    if (const auto* reference = std::get_if<AutomationObject>(&result)) {
        release(*reference);
    }
}

void InProcessAutomationClient::release(AutomationObject object) {
    if (!references_.erase(object.handle)) {
        throw AutomationFailure("The object reference is not valid");
    }
}

}  // namespace quelvane
