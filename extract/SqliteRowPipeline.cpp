#include "extract/SqliteRowPipeline.h"

#include <utility>

namespace quelvane {

SqliteRowPipeline::SqliteRowPipeline(Insert insert, bool threaded)
    : insert_(std::move(insert)), threaded_(threaded), batches_(threaded ? kDepth : 1) {}

SqliteRowPipeline::~SqliteRowPipeline() {
    if (thread_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
            dropping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
}

void SqliteRowPipeline::sizeBatches(std::size_t valuesPerBatch) {
    for (Batch& batch : batches_) {
        batch.values.resize(valuesPerBatch);
    }
}

void SqliteRowPipeline::send() {
    if (!threaded_) {
        Batch& batch = filling();
        insert_(batch);
        batch.rows = 0;
        batch.text.clear();
        return;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    raiseFailure();
    ++sent_;
    if (!thread_.joinable()) {
        thread_ = std::thread(&SqliteRowPipeline::run, this);
    }
    changed_.notify_all();
    // The batch to fill next is free once fewer than all the batches are in flight.
    wait(lock, batches_.size() - 1);
    raiseFailure();
    Batch& next = filling();
    next.rows = 0;
    next.text.clear();
}

void SqliteRowPipeline::finish() {
    std::unique_lock<std::mutex> lock(mutex_);
    wait(lock, 0);
    raiseFailure();
}

void SqliteRowPipeline::abandon() {
    std::unique_lock<std::mutex> lock(mutex_);
    dropping_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return done_ == sent_; });
    dropping_ = false;
    failure_ = nullptr;
    Batch& batch = filling();
    batch.rows = 0;
    batch.text.clear();
}

// Waits until at most `inFlight` batches are handed over and not done, or one failed.
void SqliteRowPipeline::wait(std::unique_lock<std::mutex>& lock, std::size_t inFlight) {
    changed_.wait(lock, [this, inFlight] { return sent_ - done_ <= inFlight || failure_ != nullptr; });
}

void SqliteRowPipeline::raiseFailure() {
    if (failure_ != nullptr) {
        std::rethrow_exception(failure_);
    }
}

void SqliteRowPipeline::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || done_ < sent_; });
        if (done_ == sent_) {
            return;
        }
        const Batch& batch = batches_[done_ % batches_.size()];
        const bool passOver = dropping_ || failure_ != nullptr;
        lock.unlock();
        std::exception_ptr failed;
        if (!passOver) {
            try {
                insert_(batch);
            } catch (...) {
                failed = std::current_exception();
            }
        }
        lock.lock();
        if (failed != nullptr && !dropping_) {
            failure_ = failed;
        }
        ++done_;
        changed_.notify_all();
    }
}

}  // namespace quelvane
