#include "extract/ParallelMemberRuns.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace quelvane {

namespace {

// Pieces given but not handed back, per worker: enough that a worker finding its next piece
// never waits for the giving thread, few enough that their outcomes stay small.
constexpr std::size_t kWindowPerWorker = 4;
// How often the giving thread, while it waits, asks whether the run was cancelled.
constexpr auto kCancelLook = std::chrono::milliseconds(20);

}  // namespace

ParallelMemberRuns::ParallelMemberRuns(std::size_t workers, std::function<bool()> cancelled)
    : cancelled_(std::move(cancelled)),
      window_(std::max<std::size_t>(workers, 1) * kWindowPerWorker),
      ahead_(std::make_unique<std::atomic<bool>[]>(std::max<std::size_t>(workers, 1))) {
    const std::size_t count = std::max<std::size_t>(workers, 1);
    threads_.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        threads_.emplace_back([this, i] { workerLoop(i); });
    }
}

ParallelMemberRuns::~ParallelMemberRuns() {
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
        stopping_ = true;
        queued_.clear();
    }
    workReady_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

std::size_t ParallelMemberRuns::hardwareWorkers() {
    return std::max(1u, std::thread::hardware_concurrency());
}

void ParallelMemberRuns::workerLoop(std::size_t worker) {
    std::unique_lock lock(mutex_);
    for (;;) {
        workReady_.wait(lock, [this] { return closing_ || !queued_.empty(); });
        if (queued_.empty()) {
            return;
        }
        const std::shared_ptr<Entry> entry = queued_.front();
        queued_.pop_front();
        entry->worker = worker;
        entry->taken = true;
        markAhead();
        lock.unlock();
        Delivery delivery;
        std::exception_ptr failure;
        try {
            delivery = entry->work(worker);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        ahead_[worker] = false;
        entry->work = nullptr;
        entry->delivery = std::move(delivery);
        entry->failure = failure;
        entry->done = true;
        entryDone_.notify_all();
    }
}

void ParallelMemberRuns::markAhead() {
    if (!delivering_ && !pending_.empty() && pending_.front()->taken && !pending_.front()->done) {
        ahead_[pending_.front()->worker] = true;
    }
}

void ParallelMemberRuns::deliverDue(std::unique_lock<std::mutex>& lock) {
    while (!pending_.empty() && pending_.front()->done) {
        const std::shared_ptr<Entry> entry = pending_.front();
        pending_.pop_front();
        entryDone_.notify_all();
        delivering_ = true;
        lock.unlock();
        if (entry->failure && !failure_) {
            failure_ = entry->failure;
            stop();
        }
        if (entry->delivery) {
            entry->delivery();
        }
        lock.lock();
        delivering_ = false;
    }
    markAhead();
}

void ParallelMemberRuns::deliverUntil(std::unique_lock<std::mutex>& lock,
                                      const std::function<bool()>& enough) {
    for (;;) {
        deliverDue(lock);
        if (enough()) {
            return;
        }
        entryDone_.wait_for(lock, kCancelLook);
        if (!stopping_) {
            lock.unlock();
            const bool cancelled = cancelled_ && cancelled_();
            lock.lock();
            if (cancelled) {
                stop();
            }
        }
    }
}

void ParallelMemberRuns::add(Work work) {
    std::unique_lock lock(mutex_);
    deliverUntil(lock, [this] { return pending_.size() < window_; });
    auto entry = std::make_shared<Entry>();
    entry->work = std::move(work);
    pending_.push_back(entry);
    queued_.push_back(entry);
    workReady_.notify_one();
}

void ParallelMemberRuns::addInOrder(Delivery delivery) {
    std::unique_lock lock(mutex_);
    deliverUntil(lock, [this] { return pending_.size() < window_; });
    auto entry = std::make_shared<Entry>();
    entry->delivery = std::move(delivery);
    entry->done = true;
    pending_.push_back(entry);
    deliverDue(lock);
}

void ParallelMemberRuns::finish() {
    std::unique_lock lock(mutex_);
    deliverUntil(lock, [this] { return pending_.empty(); });
    if (failure_) {
        std::rethrow_exception(std::exchange(failure_, nullptr));
    }
}

}  // namespace quelvane
