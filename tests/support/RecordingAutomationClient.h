#pragma once

#include <cstdio>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "conversion/PcPageWideText.h"
#include "export/AutomationClient.h"
#include "export/AutomationFailure.h"

namespace quelvane::test {

// An automation client without a server: it keeps every operation as one line of text, hands
// out numbered object references (#1, #2, ... in the order they are made) for every create, get
// and call, and raises AutomationFailure for the operations it was told to fail. Lines read
//   create Word.Application -> #1
//   set #1.Visible = false
//   get #3.Cell(2u, 1) -> #9       (2u: unsigned 32-bit, 1: signed 32-bit, 5d: double, "x": text)
//   run #1.Quit()
//   release #9
class RecordingAutomationClient final : public AutomationClient {
  public:
    // Every later operation whose line (without its " -> #n" result) starts with `linePrefix`
    // raises AutomationFailure with `text`; the line is still recorded.
    void failWhen(std::string linePrefix, std::string text = "recorded failure") {
        failures_.emplace_back(std::move(linePrefix), std::move(text));
    }

    AutomationObject create(const std::string& programId) override {
        return makeObject("create " + programId);
    }
    AutomationValue get(AutomationObject object, const std::string& name,
                        const Arguments& arguments) override {
        return makeObject("get " + member(object, name, arguments));
    }
    void set(AutomationObject object, const std::string& name, const AutomationValue& value) override {
        record("set " + reference(object) + "." + name + " = " + format(value));
    }
    AutomationValue call(AutomationObject object, const std::string& name,
                         const Arguments& arguments) override {
        return makeObject("call " + member(object, name, arguments));
    }
    void run(AutomationObject object, const std::string& name, const Arguments& arguments) override {
        record("run " + member(object, name, arguments));
    }
    void release(AutomationObject object) override {
        record("release " + reference(object));
        held_.erase(object.handle);
    }

    // References made and not released.
    std::size_t heldReferences() const { return held_.size(); }

    static std::string format(const AutomationValue& value) {
        return std::visit(
            [](const auto& held) -> std::string {
                using Held = std::decay_t<decltype(held)>;
                if constexpr (std::is_same_v<Held, std::monostate>) {
                    return "empty";
                } else if constexpr (std::is_same_v<Held, bool>) {
                    return held ? "true" : "false";
                } else if constexpr (std::is_same_v<Held, std::int32_t>) {
                    return std::to_string(held);
                } else if constexpr (std::is_same_v<Held, std::uint32_t>) {
                    return std::to_string(held) + "u";
                } else if constexpr (std::is_same_v<Held, double>) {
                    char text[32];
                    std::snprintf(text, sizeof text, "%gd", held);
                    return text;
                } else if constexpr (std::is_same_v<Held, std::string>) {
                    return "\"" + held + "\"";
                } else if constexpr (std::is_same_v<Held, std::u16string>) {
                    return "w\"" + PcPageWideText::toUtf8(held) + "\"";
                } else {
                    return reference(held);
                }
            },
            value);
    }

    std::vector<std::string> lines;

  private:
    static std::string reference(AutomationObject object) { return "#" + std::to_string(object.handle); }

    static std::string member(AutomationObject object, const std::string& name, const Arguments& arguments) {
        std::string text = reference(object) + "." + name + "(";
        for (std::size_t i = 0; i < arguments.size(); ++i) {
            text += (i > 0 ? ", " : "") + format(arguments[i]);
        }
        return text + ")";
    }

    void record(const std::string& line) {
        lines.push_back(line);
        for (const auto& [prefix, text] : failures_) {
            if (line.starts_with(prefix)) {
                throw AutomationFailure(text);
            }
        }
    }

    AutomationObject makeObject(const std::string& line) {
        const std::size_t at = lines.size();
        record(line);
        const AutomationObject object{next_++};
        held_.insert(object.handle);
        lines[at] += " -> " + reference(object);
        return object;
    }

    std::vector<std::pair<std::string, std::string>> failures_;
    std::set<std::uint32_t> held_;
    std::uint32_t next_ = 1;
};

}  // namespace quelvane::test
