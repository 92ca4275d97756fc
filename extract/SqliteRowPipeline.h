#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "extract/SqliteRowBatch.h"

namespace quelvane {

// The rows of a data member on their way into the database in batches: the thread that decodes
// the records fills a batch and hands it over, and a thread of the pipeline's own inserts the
// batches, one after the other in the order they were handed over, while the next ones are
// filled. A few batches are in flight at most, so the memory stays bounded. The database is
// used by one thread at a time: by the pipeline's between send() and finish() or abandon(), by
// its owner otherwise. Without a thread (threaded false) a batch is inserted by send() itself.
// Compiled only with SQLite: the WebAssembly build has neither threads nor a database.
class SqliteRowPipeline {
  public:
    using Batch = SqliteRowBatch;
    using Value = SqliteRowBatch::Value;
    // Inserts a batch; raises what it cannot insert.
    using Insert = std::function<void(const Batch&)>;

    // How many batches are in flight at most: one filled, the others waiting or inserted.
    static constexpr std::size_t kDepth = 4;

    SqliteRowPipeline(Insert insert, bool threaded);
    ~SqliteRowPipeline();

    SqliteRowPipeline(const SqliteRowPipeline&) = delete;
    SqliteRowPipeline& operator=(const SqliteRowPipeline&) = delete;

    // The batch being filled, its `values` of `valuesPerBatch` entries.
    Batch& filling() { return batches_[sent_ % batches_.size()]; }
    void sizeBatches(std::size_t valuesPerBatch);

    // Hands the batch filled over and waits for one to fill, emptied. Raises the failure of an
    // insert of an earlier batch (and inserts nothing more until abandon()).
    void send();
    // Waits until every batch handed over is inserted; raises the failure of any.
    void finish();
    // Inserts no batch still waiting, waits for the one being inserted, forgets a failure and
    // empties the batch being filled.
    void abandon();

  private:
    void run();
    void wait(std::unique_lock<std::mutex>& lock, std::size_t inFlight);
    void raiseFailure();

    Insert insert_;
    bool threaded_;
    std::vector<Batch> batches_;
    std::mutex mutex_;
    std::condition_variable changed_;
    // Batches handed over and batches done (inserted or passed over), since the start.
    std::size_t sent_ = 0;
    std::size_t done_ = 0;
    bool dropping_ = false;
    bool stopping_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};

}  // namespace quelvane
