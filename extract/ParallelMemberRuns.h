#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace quelvane {

// Runs pieces of work (the writing of members) on worker threads and hands each one's outcome
// back on the thread that gave it, in the order they were given, so that whatever the outcome
// says (progress, messages, the names and rows it records) comes out as it would from one thread
// doing the work in turn. Pieces given but not yet handed back are bounded by a window of a few
// per worker: the giving thread waits, handing back what is due, while the window is full.
// Steps with no work (addInOrder) are handed back in their turn too.
class ParallelMemberRuns {
  public:
    // What a piece of work leaves to do on the giving thread, in its turn; may be empty.
    using Delivery = std::function<void()>;
    // Runs on worker `worker`, 0 to workers() - 1; one worker runs one piece at a time, so a
    // piece may use what belongs to its worker without a lock.
    using Work = std::function<Delivery(std::size_t worker)>;

    // `cancelled` is asked on the giving thread while it waits; once it says so, stop() is called.
    ParallelMemberRuns(std::size_t workers, std::function<bool()> cancelled);
    // Stops, drops the pieces no worker has begun and waits for the workers.
    ~ParallelMemberRuns();

    ParallelMemberRuns(const ParallelMemberRuns&) = delete;
    ParallelMemberRuns& operator=(const ParallelMemberRuns&) = delete;

    // The threads the machine runs at once; at least 1.
    static std::size_t hardwareWorkers();

    std::size_t workers() const { return threads_.size(); }

    // Queues `work`. A piece that raises stops the runs; the pieces after it are still handed
    // back, and finish raises its exception.
    void add(Work work);
    // A step made on the giving thread in its turn: at once when nothing is pending before it.
    void addInOrder(Delivery delivery);
    // Waits for every piece given, handing back each outcome in order.
    void finish();

    // Whether the piece worker `worker` runs is the next to be handed back, everything given
    // before it handed back: the giving thread then waits for it alone, and the piece may report
    // its progress straight to where the giving thread reports.
    bool ahead(std::size_t worker) const { return ahead_[worker].load(); }

    // Asks the pieces to stop at their next look (stopping()); they are still handed back.
    void stop() { stopping_ = true; }
    bool stopping() const { return stopping_.load(); }

  private:
    struct Entry {
        Work work;
        Delivery delivery;
        std::exception_ptr failure;
        std::size_t worker = 0;
        bool taken = false;
        bool done = false;
    };

    void workerLoop(std::size_t worker);
    // Hands back the outcomes due, in order, until `enough` holds; the lock is released while an
    // outcome is handed back.
    void deliverUntil(std::unique_lock<std::mutex>& lock, const std::function<bool()>& enough);
    void deliverDue(std::unique_lock<std::mutex>& lock);
    // Marks the worker of the first pending piece ahead, once nothing before it is being handed back.
    void markAhead();

    std::function<bool()> cancelled_;
    std::size_t window_;
    std::mutex mutex_;
    std::condition_variable workReady_;
    std::condition_variable entryDone_;
    // Every entry not yet handed back, in the order given; `queued_` those no worker has taken.
    std::deque<std::shared_ptr<Entry>> pending_;
    std::deque<std::shared_ptr<Entry>> queued_;
    std::exception_ptr failure_;
    std::unique_ptr<std::atomic<bool>[]> ahead_;
    bool delivering_ = false;
    bool closing_ = false;
    std::atomic<bool> stopping_{false};
    std::vector<std::thread> threads_;
};

}  // namespace quelvane
