#include "export/AutomationReference.h"

#include <exception>
#include <utility>

#include "export/AutomationFailure.h"

namespace quelvane {

AutomationReference::AutomationReference(AutomationClient& client, AutomationObject object)
    : client_(&client), object_(object) {}

AutomationReference::~AutomationReference() {
    if (client_ != nullptr) {
        // A release cannot be reported from here; the server that refuses it has failed already.
        try {
            client_->release(object_);
        } catch (...) {
        }
    }
}

AutomationReference::AutomationReference(AutomationReference&& other) noexcept
    : client_(std::exchange(other.client_, nullptr)), object_(other.object_) {}

AutomationReference& AutomationReference::operator=(AutomationReference&& other) noexcept {
    if (this != &other) {
        AutomationReference old(std::move(*this));
        client_ = std::exchange(other.client_, nullptr);
        object_ = other.object_;
    }
    return *this;
}

AutomationReference AutomationReference::create(AutomationClient& client, const std::string& programId) {
    return {client, client.create(programId)};
}

AutomationClient& AutomationReference::client() const {
    if (client_ == nullptr) {
        throw AutomationFailure("No object is held");
    }
    return *client_;
}

AutomationObject AutomationReference::object() const {
    client();
    return object_;
}

AutomationReference AutomationReference::get(const std::string& name,
                                             const AutomationClient::Arguments& arguments) const {
    AutomationClient& server = client();
    return {server, objectOf(server.get(object_, name, arguments), name)};
}

AutomationReference AutomationReference::call(const std::string& name,
                                              const AutomationClient::Arguments& arguments) const {
    AutomationClient& server = client();
    const AutomationValue result = server.call(object_, name, arguments);
    if (const auto* object = std::get_if<AutomationObject>(&result)) {
        return {server, *object};
    }
    return {};
}

void AutomationReference::set(const std::string& name, const AutomationValue& value) const {
    client().set(object_, name, value);
}

void AutomationReference::run(const std::string& name, const AutomationClient::Arguments& arguments) const {
    client().run(object_, name, arguments);
}

void AutomationReference::quitQuietly(QuitBy how) const {
    try {
        if (how == QuitBy::Run) {
            run("Quit");
        } else {
            call("Quit");
        }
    } catch (const std::exception&) {
    }
}

void AutomationReference::release() {
    AutomationClient& server = client();
    client_ = nullptr;
    server.release(object_);
}

}  // namespace quelvane
