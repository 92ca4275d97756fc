#pragma once

#include <QString>

#include <functional>

namespace quelvane {

// The one report of a failure that no command handled. Qt is built without exception support,
// so no failure may unwind through its widget and signal frames: every slot catches what its
// command raises and hands it here, and the application shows it.
class FailureReporter {
  public:
    using Handler = std::function<void(const QString& text)>;

    // The application's message box; without one, the text goes to Qt's warning output.
    static void setHandler(Handler handler);

    // Reports the exception being handled; call only inside a catch block. A failure whose
    // message its writer has shown already is not shown again.
    static void reportCurrent() noexcept;

    // Runs `command`, reporting whatever it raises.
    template <typename Command>
    static void guard(Command&& command) noexcept {
        try {
            command();
        } catch (...) {
            reportCurrent();
        }
    }
};

}  // namespace quelvane
