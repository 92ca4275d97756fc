#include "shell/ListingWorker.h"
#include "views/RecordMessages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QShortcut>
#include <QStatusBar>
#include <QToolButton>

#include <algorithm>
#include <deque>

#include "shell/ContentListModel.h"
#include "views/ViewSession.h"

namespace quelvane {

namespace {

constexpr int kProgressSteps = 1000;

}  // namespace

// One listing's state shared with its worker thread.
struct ListingWorker::Run final : ProgressReporter {
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    std::atomic<std::int64_t> listed{0};
    std::atomic<std::int64_t> total{0};
    std::mutex lock;
    // The rows the worker has checked and the window has not taken yet, batch by batch: a
    // listing of millions that runs ahead of the window never copies or shifts what waits.
    std::deque<std::vector<std::uint8_t>> pending;
    SlotPassEnd end = SlotPassEnd::Complete;
    std::string expansionFailure;
    bool maxError = false;
    SavedObject file;
    std::thread thread;

    void progress(std::int64_t count, std::int64_t of) override {
        listed.store(count, std::memory_order_relaxed);
        total.store(of, std::memory_order_relaxed);
    }
    bool cancelled() const override { return stop.load(std::memory_order_relaxed); }
};

ListingWorker::ListingWorker(ContentListModel& model, QWidget* window, QStatusBar* statusBar)
    : QObject(window), model_(model) {
    drainTimer_.setInterval(kDrainMilliseconds);
    connect(&drainTimer_, &QTimer::timeout, this, &ListingWorker::drain);
    connect(&model_, &ContentListModel::recordRowsDropped, this, [this] {
        cancel();
        rows_.reset();
    });

    progressBox_ = new QWidget(statusBar);
    progressBox_->setObjectName(QStringLiteral("ListingProgress"));
    auto* row = new QHBoxLayout(progressBox_);
    row->setContentsMargins(0, 0, 0, 0);
    progressText_ = new QLabel(progressBox_);
    progressText_->setObjectName(QStringLiteral("ListingText"));
    progressBar_ = new QProgressBar(progressBox_);
    progressBar_->setRange(0, kProgressSteps);
    progressBar_->setTextVisible(false);
    progressBar_->setMaximumWidth(160);
    stop_ = new QToolButton(progressBox_);
    stop_->setObjectName(QStringLiteral("StopListing"));
    stop_->setText(QStringLiteral("Stop"));
    stop_->setToolTip(QStringLiteral("Stop listing (Esc); the rows listed so far stay"));
    row->addWidget(progressText_);
    row->addWidget(progressBar_);
    row->addWidget(stop_);
    statusBar->addPermanentWidget(progressBox_);
    progressBox_->hide();
    connect(stop_, &QToolButton::clicked, this, &ListingWorker::cancel);

    escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    escape_->setContext(Qt::WindowShortcut);
    escape_->setEnabled(false);
    connect(escape_, &QShortcut::activated, this, &ListingWorker::cancel);
}

ListingWorker::~ListingWorker() {
    if (run_ != nullptr && run_->thread.joinable()) {
        run_->stop = true;
        run_->thread.join();
    }
}

ViewOutcome ListingWorker::start(ViewSession& session, NodeContentTarget& target, MemberRef ref) {
    ViewOutcome outcome = ViewOutcome::Shown;
    std::optional<MemberListingPlan> plan = startMemberRecords(session, target, ref, outcome);
    if (!plan) {
        return outcome;
    }
    cancel();
    session_ = &session;
    auto run = std::make_shared<Run>();
    // The worker reads its own copy of the file's fields: opening another save file replaces
    // the catalog while the listing may still run.
    run->file = *plan->file;
    plan->file = &run->file;
    run->maxError = plan->maxError;
    run->total = plan->recordCount;
    std::unique_ptr<RecordRows> previous = std::move(rows_);
    rows_ = std::make_unique<RecordRows>(run->file, session.openSaveFile(), plan->sequence, session.converter,
                                         plan->recordDistance);
    if (session.storedCcsidHostPage) {
        rows_->decodeByStoredCcsid(*session.storedCcsidHostPage);
    }
    // A record count read from the file is only trusted as far as the file could hold its slots.
    if (const std::unique_ptr<BlockSource> probe = session.openSaveFile(); probe != nullptr) {
        const std::int64_t room = probe->size() / (std::int64_t{std::max(run->file.recordLength, 0)} + 1);
        rows_->reserve(std::min(run->total.load(), room));
    }
    model_.showRecordRows(rows_.get());
    previous.reset();

    run->thread = std::thread([run, plan = std::make_shared<MemberListingPlan>(std::move(*plan))] {
        run->end = passMemberSlots(
            *plan, *run, kBatchRows,
            [&run](std::span<const std::uint8_t> statuses) {
                std::vector<std::uint8_t> batch(statuses.begin(), statuses.end());
                std::lock_guard<std::mutex> guard(run->lock);
                run->pending.push_back(std::move(batch));
            },
            run->expansionFailure);
        run->done = true;
    });
    run_ = run;
    showProgress(0, run->total);
    progressBox_->show();
    escape_->setEnabled(true);
    drainTimer_.start();
    return ViewOutcome::Shown;
}

void ListingWorker::cancel() {
    if (run_ == nullptr) {
        return;
    }
    run_->stop = true;
    if (run_->thread.joinable()) {
        run_->thread.join();
    }
    finish();
}

void ListingWorker::wait() {
    while (run_ != nullptr) {
        if (run_->thread.joinable()) {
            run_->thread.join();
        }
        drain();
    }
}

void ListingWorker::drain() {
    if (run_ == nullptr) {
        drainTimer_.stop();
        return;
    }
    // The view's share of appending rows grows with their number: a turn of the event loop
    // takes at most a bounded number of rows, the rest waits for the next turn.
    std::deque<std::vector<std::uint8_t>> taken;
    bool more = false;
    {
        std::lock_guard<std::mutex> guard(run_->lock);
        std::size_t count = 0;
        while (!run_->pending.empty() &&
               (taken.empty() || count + run_->pending.front().size() <= kMaxRowsPerDrain)) {
            count += run_->pending.front().size();
            taken.push_back(std::move(run_->pending.front()));
            run_->pending.pop_front();
        }
        more = !run_->pending.empty();
    }
    appendRows(taken);
    showProgress(rows_ != nullptr ? rows_->rowCount() : 0, run_->total);
    if (run_->done && !more) {
        if (run_->thread.joinable()) {
            run_->thread.join();
        }
        finish();
    }
}

// The last rows, then the messages the records view gives at the end of its listing.
void ListingWorker::finish() {
    std::shared_ptr<Run> run = std::move(run_);
    run_.reset();
    drainTimer_.stop();
    escape_->setEnabled(false);
    progressBox_->hide();
    appendRows(run->pending);
    if (session_ != nullptr && run->end != SlotPassEnd::Cancelled) {
        if (run->maxError) {
            session_->notifier.message(kMaxErrorMessage);
        }
        if (run->end == SlotPassEnd::Failed) {
            session_->notifier.message(kReadingErrorMessage);
            if (!run->expansionFailure.empty()) {
                session_->notifier.message(run->expansionFailure);
            }
        }
    }
    emit finished();
}

void ListingWorker::appendRows(const std::deque<std::vector<std::uint8_t>>& batches) {
    if (rows_ == nullptr || batches.empty()) {
        return;
    }
    for (const std::vector<std::uint8_t>& batch : batches) {
        rows_->append(batch.data(), batch.size());
    }
    model_.recordRowsAppended();
}

void ListingWorker::showProgress(std::int64_t done, std::int64_t total) {
    const QLocale locale;
    progressText_->setText(
        QStringLiteral("Listing %1 of %2 records").arg(locale.toString(done), locale.toString(total)));
    progressBar_->setValue(
        total > 0 ? static_cast<int>(std::min<std::int64_t>(done, total) * kProgressSteps / total) : 0);
}

}  // namespace quelvane
