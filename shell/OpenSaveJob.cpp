#include "shell/OpenSaveJob.h"

#include <QApplication>
#include <QProgressDialog>
#include <QScopedValueRollback>

#include <algorithm>
#include <atomic>
#include <exception>
#include <optional>
#include <thread>
#include <vector>

#include "conversion/ConversionLayer.h"
#include "export/pickbatch/FailureReporter.h"
#include "savefile/ProgressReporter.h"

namespace quelvane {

namespace {

// What the core says during an open, kept to be said on the window's thread when it has ended.
class HeldMessages final : public Notifier {
  public:
    void message(const std::string& text) override { entries_.push_back({text, std::nullopt}); }
    void error(const std::string& text, const std::string& caption) override {
        entries_.push_back({text, caption});
    }

    void giveTo(Notifier& notifier) const {
        for (const Entry& entry : entries_) {
            if (entry.caption) {
                notifier.error(entry.text, *entry.caption);
            } else {
                notifier.message(entry.text);
            }
        }
    }

  private:
    struct Entry {
        std::string text;
        std::optional<std::string> caption;
    };
    std::vector<Entry> entries_;
};

}  // namespace

// One open's state shared with its worker. The worker alone touches the converter, the held
// messages and the result until `done`; the window's thread reads them after joining it.
struct OpenSaveJob::Run final : ProgressReporter {
    explicit Run(const std::string& moduleDirectory) : converter(quiet, moduleDirectory) {}

    void progress(std::int64_t done, std::int64_t total) override {
        read.store(done, std::memory_order_relaxed);
        size.store(total, std::memory_order_relaxed);
    }
    bool cancelled() const override { return stop.load(std::memory_order_relaxed); }

    // The window's layer said what binding the modules had to say when it bound them.
    SilentNotifier quiet;
    ConversionLayer converter;
    HeldMessages messages;
    OpenedSave opened;
    OpenedSave::Outcome outcome = OpenedSave::Outcome::CannotOpen;
    std::exception_ptr failure;
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    std::atomic<std::int64_t> read{0};
    std::atomic<std::int64_t> size{0};
    std::thread thread;
};

OpenSaveJob::OpenSaveJob(QWidget* window, Notifier& notifier, const ConversionLayer& conversion,
                         std::string moduleDirectory)
    : QObject(window),
      window_(window),
      notifier_(notifier),
      conversion_(conversion),
      moduleDirectory_(std::move(moduleDirectory)) {
    pollTimer_.setInterval(kPollMilliseconds);
    connect(&pollTimer_, &QTimer::timeout, this, &OpenSaveJob::poll);
}

OpenSaveJob::~OpenSaveJob() {
    if (run_ != nullptr) {
        run_->stop = true;
        run_->thread.join();
    }
}

bool OpenSaveJob::start(OpenedSave::StoredOpener stored, const std::string& path, Done done) {
    if (running()) {
        return false;
    }
    auto run = std::make_shared<Run>(moduleDirectory_);
    if (conversion_.nlsBound() || conversion_.trnsdtBound()) {
        run->converter.BindNlsLibrary();
    }
    run->converter.EbcdicCodePage = conversion_.EbcdicCodePage;
    run->converter.PcCodePage = conversion_.PcCodePage;
    done_ = std::move(done);

    focus_ = QApplication::focusWidget();
    windowActive_ = window_->isActiveWindow();
    progress_ = new QProgressDialog(QStringLiteral("Reading the save file..."), QStringLiteral("Cancel"), 0,
                                    kProgressSteps, window_);
    progress_->setObjectName(QStringLiteral("OpenProgress"));
    progress_->setWindowTitle(QStringLiteral("Open"));
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setAutoReset(false);
    progress_->setAutoClose(false);
    progress_->setMinimumDuration(kShowAfterMilliseconds);
    connect(progress_, &QProgressDialog::canceled, this, &OpenSaveJob::cancel);
    // Counts the dialog's delay from now.
    progress_->setValue(0);

    if (wrap_) {
        stored = [stored = std::move(stored), wrap = wrap_] { return wrap(stored ? stored() : nullptr); };
    }
    run->thread = std::thread([run, stored = std::move(stored), path]() mutable {
        try {
            run->outcome =
                run->opened.open(std::move(stored), path, run->converter, run->messages, run.get());
        } catch (...) {
            run->failure = std::current_exception();
        }
        run->done.store(true, std::memory_order_release);
    });
    run_ = std::move(run);
    pollTimer_.start();
    return true;
}

QProgressDialog* OpenSaveJob::progressDialog() const {
    return progress_;
}

void OpenSaveJob::raise() {
    if (progress_ != nullptr) {
        progress_->show();
        progress_->raise();
        progress_->activateWindow();
    }
}

void OpenSaveJob::cancel() {
    if (run_ != nullptr) {
        run_->stop = true;
    }
}

void OpenSaveJob::wait() {
    if (run_ != nullptr) {
        run_->thread.join();
        finish();
    }
}

void OpenSaveJob::poll() {
    // A modal progress dialog turns the event loop in setValue, which may time this in again.
    if (polling_) {
        return;
    }
    const QScopedValueRollback<bool> polling(polling_, true);
    if (run_ == nullptr) {
        pollTimer_.stop();
        return;
    }
    if (run_->done.load(std::memory_order_acquire)) {
        run_->thread.join();
        finish();
        return;
    }
    const std::int64_t size = run_->size.load(std::memory_order_relaxed);
    const std::int64_t read = std::min(run_->read.load(std::memory_order_relaxed), size);
    if (progress_ != nullptr && size > 0) {
        progress_->setValue(static_cast<int>(read * kProgressSteps / size));
    }
}

// Called with the worker joined. A cancelled open says nothing and leaves the window to its
// previous file; any other says what the parse said, in order, then hands the result over.
void OpenSaveJob::finish() {
    const std::shared_ptr<Run> run = std::move(run_);
    run_.reset();
    pollTimer_.stop();
    if (progress_ != nullptr) {
        const bool shown = progress_->isVisible();
        delete progress_;
        if (shown && windowActive_ && window_->isVisible()) {
            window_->activateWindow();
            if (focus_ != nullptr) {
                focus_->setFocus();
            }
        }
    }
    Done done = std::move(done_);
    done_ = nullptr;
    const bool cancelled = run->stop.load() || run->outcome == OpenedSave::Outcome::Cancelled;
    const OpenedSave::Outcome outcome = cancelled ? OpenedSave::Outcome::Cancelled : run->outcome;
    if (!cancelled) {
        run->messages.giveTo(notifier_);
        if (run->failure) {
            FailureReporter::guard([&run] { std::rethrow_exception(run->failure); });
        }
    }
    if (done) {
        done(outcome, run->opened);
    }
    emit finished();
}

}  // namespace quelvane
