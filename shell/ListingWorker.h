#pragma once

#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "views/MemberRecordsView.h"
#include "views/RecordRows.h"

class QLabel;
class QProgressBar;
class QShortcut;
class QStatusBar;
class QToolButton;
class QWidget;

namespace quelvane {

class ContentListModel;
struct ViewSession;
class NodeContentTarget;

// Lists a member's records off the window's thread: the columns are set at once, a worker
// thread runs the first pass over the slots, and the rows it has checked reach the list every
// few tens of milliseconds, their texts decoded only when drawn. The status bar shows the rows
// listed of the record count with a Stop button; Stop or Esc ends the listing and keeps the
// rows listed so far. The records view's messages come at the end of the listing.
class ListingWorker final : public QObject {
    Q_OBJECT

  public:
    static constexpr int kDrainMilliseconds = 30;
    static constexpr std::size_t kBatchRows = 256;
    static constexpr std::size_t kMaxRowsPerDrain = 65536;

    ListingWorker(ContentListModel& model, QWidget* window, QStatusBar* statusBar);
    ~ListingWorker() override;

    // The session's member lister.
    ViewOutcome start(ViewSession& session, NodeContentTarget& target, MemberRef ref);
    // Ends a running listing, keeping its rows; waits for the worker.
    void cancel();
    // Lets a running listing run to its end and takes over all its rows and messages.
    void wait();
    bool running() const { return run_ != nullptr; }

  signals:
    // A listing ended (completed, failed or stopped).
    void finished();

  private:
    struct Run;

    void drain();
    void finish();
    void appendRows(const std::deque<std::vector<std::uint8_t>>& batches);
    void showProgress(std::int64_t done, std::int64_t total);

    ContentListModel& model_;
    ViewSession* session_ = nullptr;
    std::unique_ptr<RecordRows> rows_;
    std::shared_ptr<Run> run_;
    QTimer drainTimer_;
    QWidget* progressBox_;
    QLabel* progressText_;
    QProgressBar* progressBar_;
    QToolButton* stop_;
    QShortcut* escape_;
};

}  // namespace quelvane
