#pragma once

#include <functional>
#include <memory>
#include <string>

#include "export/AutomationClient.h"

namespace quelvane {

// An automation carrier made only when a writer starts its server, so a command that refuses
// its selection, or writes text, never needs one: a carrier that cannot be made (no converter
// for the PC code page) fails there, where the writer reports it as a server that cannot start.
class DeferredAutomationClient final : public AutomationClient {
  public:
    using Factory = std::function<std::unique_ptr<AutomationClient>()>;

    explicit DeferredAutomationClient(Factory factory) : factory_(std::move(factory)) {}

    AutomationObject create(const std::string& programId) override;
    AutomationValue get(AutomationObject object, const std::string& name,
                        const Arguments& arguments) override;
    void set(AutomationObject object, const std::string& name, const AutomationValue& value) override;
    AutomationValue call(AutomationObject object, const std::string& name,
                         const Arguments& arguments) override;
    void run(AutomationObject object, const std::string& name, const Arguments& arguments) override;
    void release(AutomationObject object) override;

  private:
    AutomationClient& made();

    Factory factory_;
    std::unique_ptr<AutomationClient> client_;
};

}  // namespace quelvane
