#include "shell/QuelvaneApplication.h"

#include <exception>

#include "shell/UserDialogs.h"

// The images live in the shell library's resources, which a static library registers only when
// asked to, and only from the global namespace.
static void registerShellResources() {
    Q_INIT_RESOURCE(shell);
}

namespace quelvane {

QuelvaneApplication::QuelvaneApplication(int& argc, char** argv) : QApplication(argc, argv) {
    registerShellResources();
    setApplicationName(QStringLiteral("Quelvane"));
}

bool QuelvaneApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& failure) {
        if (dialogs_ != nullptr) {
            dialogs_->showMessage(activeWindow(), applicationName(), QString::fromLocal8Bit(failure.what()));
        }
    }
    return false;
}

}  // namespace quelvane
