#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "conversion/PcPageWideText.h"
#include "export/AutomationClient.h"
#include "export/AutomationHandleTable.h"
#include "export/AutomationServerObject.h"

namespace quelvane {

// The carrier of AutomationClient on platforms without COM: the servers live in this process and
// are found in a small registry by program identifier. "Word.Application" and
// "Excel.Application" are registered from the start. Texts cross into the servers decoded with
// the PC code page given at construction.
class InProcessAutomationClient final : public AutomationClient {
  public:
    using ServerFactory = std::function<std::shared_ptr<AutomationServerObject>()>;

    explicit InProcessAutomationClient(std::int32_t pcCodePage);

    // Adds or replaces a server under `programId`.
    void registerServer(const std::string& programId, ServerFactory factory);

    AutomationObject create(const std::string& programId) override;
    AutomationValue get(AutomationObject object, const std::string& name,
                        const Arguments& arguments) override;
    void set(AutomationObject object, const std::string& name, const AutomationValue& value) override;
    AutomationValue call(AutomationObject object, const std::string& name,
                         const Arguments& arguments) override;
    void run(AutomationObject object, const std::string& name, const Arguments& arguments) override;
    void release(AutomationObject object) override;

    // References handed out and not yet released.
    std::size_t heldReferences() const { return references_.size(); }

  private:
    AutomationServerObject& target(AutomationObject object);
    AutomationServerValue toServer(const AutomationValue& value);
    AutomationValue fromServer(AutomationServerValue value);
    AutomationValue invoke(AutomationObject object, const std::string& name, const Arguments& arguments);

    PcPageWideText codec_;
    std::map<std::string, ServerFactory> servers_;
    AutomationHandleTable references_;
};

}  // namespace quelvane
