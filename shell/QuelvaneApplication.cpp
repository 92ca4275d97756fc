#include "shell/QuelvaneApplication.h"

#include <exception>

#include "export/pickbatch/FailureReporter.h"
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

void QuelvaneApplication::setDialogs(UserDialogs* dialogs) {
    dialogs_ = dialogs;
    FailureReporter::setHandler([this](const QString& text) {
        if (dialogs_ != nullptr) {
            dialogs_->showMessage(activeWindow(), applicationName(), text);
        }
    });
}

bool QuelvaneApplication::notify(QObject* receiver, QEvent* event) {
    // The slots report their own failures; this is the last guard for a handler that has none.
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        FailureReporter::reportCurrent();
    }
    return false;
}

}  // namespace quelvane
