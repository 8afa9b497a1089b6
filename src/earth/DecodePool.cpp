#include "earth/DecodePool.hpp"

#include <algorithm>
#include <system_error>
#include <utility>

namespace tessarin {

class DecodePool::Job {
public:
    enum class State { Queued, Running, Done, Cancelled };
    explicit Job(std::function<void()> w) : work(std::move(w)) {}
    std::function<void()> work;
    State state = State::Queued;
};

int DecodePool::defaultWorkers() {
    // Past a few workers the loading thread, which installs one cell at a
    // time, is the bottleneck, and every worker holds a decoded cell ahead.
    constexpr unsigned kMostWorkers = 4;
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores, 1u, kMostWorkers));
}

DecodePool::DecodePool(int workers) {
    for (int i = 0; i < workers; ++i) {
        try {
            threads_.emplace_back([this] { workerLoop(); });
        } catch (const std::system_error&) {
            break;  // waits run the jobs the missing workers would have
        }
    }
}

DecodePool::~DecodePool() {
    std::deque<JobHandle> dropped;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        for (const JobHandle& job : queue_)
            if (job->state == Job::State::Queued) job->state = Job::State::Cancelled;
        dropped.swap(queue_);
    }
    wake_.notify_all();
    finished_.notify_all();
    for (std::thread& t : threads_) t.join();
}

DecodePool::JobHandle DecodePool::submit(std::function<void()> work) {
    auto job = std::make_shared<Job>(std::move(work));
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(job);
    }
    wake_.notify_one();
    return job;
}

// Runs a job this thread has marked Running; the lock is held on entry and on
// return, released while the work runs.
void DecodePool::runAndFinish(Job& job, std::unique_lock<std::mutex>& lock) {
    std::function<void()> work = std::move(job.work);
    job.work = nullptr;
    lock.unlock();
    try {
        work();
    } catch (...) {
        // Nothing may leave a worker thread; the job's own result (left in
        // its failure state) says what became of it.
    }
    // The captures (decoded pixels the owner may have dropped) go here, not
    // under the lock.
    work = nullptr;
    lock.lock();
    job.state = Job::State::Done;
    finished_.notify_all();
}

void DecodePool::workerLoop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        JobHandle job = std::move(queue_.front());
        queue_.pop_front();
        // Jobs taken over by a waiting thread or cancelled stay queued until
        // a worker passes them by here.
        if (job->state != Job::State::Queued) continue;
        job->state = Job::State::Running;
        runAndFinish(*job, lock);
    }
}

void DecodePool::wait(const JobHandle& job) {
    if (!job) return;
    std::unique_lock<std::mutex> lock(mutex_);
    if (job->state == Job::State::Queued) {
        job->state = Job::State::Running;
        runAndFinish(*job, lock);
        return;
    }
    finished_.wait(lock, [&] { return job->state == Job::State::Done || job->state == Job::State::Cancelled; });
}

bool DecodePool::finished(const JobHandle& job) {
    if (!job) return true;
    std::lock_guard<std::mutex> lock(mutex_);
    return job->state == Job::State::Done || job->state == Job::State::Cancelled;
}

void DecodePool::cancel(const JobHandle& job) {
    if (!job) return;
    std::function<void()> dropped;
    std::lock_guard<std::mutex> lock(mutex_);
    if (job->state != Job::State::Queued) return;
    job->state = Job::State::Cancelled;
    dropped = std::move(job->work);
    job->work = nullptr;
}

}  // namespace tessarin
