#pragma once
// A few worker threads that decode tile files ahead of the loading thread.
// A job no worker has started yet is run by the thread that waits for it, so
// a wait never idles behind a queue of other jobs, and a pool without workers
// runs every job on the waiting thread: the results are the same whatever
// the pool's size.

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tessarin {

class DecodePool {
public:
    class Job;
    using JobHandle = std::shared_ptr<Job>;

    // One worker per core, at least one and at most four.
    static int defaultWorkers();

    // workers <= 0 starts no thread. Fewer workers start when the system
    // refuses a thread.
    explicit DecodePool(int workers);
    // Jobs not started are dropped; running ones finish before the workers
    // are joined, so no thread outlives the pool.
    ~DecodePool();
    DecodePool(const DecodePool&) = delete;
    DecodePool& operator=(const DecodePool&) = delete;

    int workers() const { return static_cast<int>(threads_.size()); }

    // Queues work. An exception thrown by it ends the job and goes no further:
    // work reports its outcome through what it writes.
    JobHandle submit(std::function<void()> work);
    // Returns once the job has run (or was cancelled), running it on this
    // thread when no worker has started it.
    void wait(const JobHandle& job);
    // Whether the job has run or was cancelled; never waits.
    bool finished(const JobHandle& job);
    // A job not yet started never runs; a running one finishes unobserved.
    void cancel(const JobHandle& job);

private:
    void workerLoop();
    void runAndFinish(Job& job, std::unique_lock<std::mutex>& lock);

    std::mutex mutex_;
    std::condition_variable wake_;      // a job was queued, or the pool stops
    std::condition_variable finished_;  // some job finished
    std::deque<JobHandle> queue_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace tessarin
