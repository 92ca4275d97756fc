#include "export/pickbatch/FailureReporter.h"

#include <QtGlobal>

#include <exception>

#include "export/ExportFailure.h"
#include "savefile/FailureReason.h"

namespace quelvane {

namespace {

FailureReporter::Handler& handler() {
    static FailureReporter::Handler installed;
    return installed;
}

void show(const QString& text) {
    if (handler()) {
        handler()(text);
    } else {
        qWarning("%s", qUtf8Printable(text));
    }
}

}  // namespace

void FailureReporter::setHandler(Handler handler_) {
    handler() = std::move(handler_);
}

void FailureReporter::reportCurrent() noexcept {
    try {
        try {
            throw;
        } catch (const ExportFailure& failure) {
            if (!failure.reported()) {
                show(QString::fromLocal8Bit(failure.what()));
            }
        } catch (const std::exception& failure) {
            show(QString::fromLocal8Bit(failureReason(failure).c_str()));
        } catch (...) {
            show(QStringLiteral("Unknown failure"));
        }
    } catch (...) {
        // A report that fails itself has nowhere left to go.
    }
}

}  // namespace quelvane
