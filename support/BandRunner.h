#pragma once

// Shares the rows of one large piece of work between the calling thread and one helper thread.
//
// The rows are cut into chunks that either thread claims in turn, so neither waits for the other to
// wake: when the helper is asleep or busy elsewhere, the caller simply claims every chunk itself. Each
// claim takes a third of the rows left (never fewer than the smallest chunk): early claims are few and
// large, so the threads seldom meet on the shared counter, and the last are small, so neither thread
// waits long for the other at the end. After each piece of work the helper keeps looking for the next
// one for a short while before it sleeps, so a run of draws one after another keeps both cores working
// without paying a wake-up for each.
//
// Work must not depend on which thread runs which chunk; `lane` (0 for the caller, 1 for the helper)
// only lets it keep scratch memory per thread. A call made while the runner is in use, from another
// thread or from inside a chunk, runs all its rows on the calling thread.

#include <atomic>
#include <thread>

class BandRunner {
public:
    // Called for the rows first..last (inclusive) of one chunk.
    using ChunkFn = void (*)(void* context, int first, int last, int lane);

    BandRunner();
    ~BandRunner();
    BandRunner(const BandRunner&) = delete;
    BandRunner& operator=(const BandRunner&) = delete;

    // The runner the program's drawing shares: its helper starts on first use.
    static BandRunner& Shared();

    // Runs fn over rows first..last in chunks of at least minRows rows (the last may be shorter) and
    // returns when every chunk has run.
    void Run(int first, int last, int minRows, ChunkFn fn, void* context);

    template <typename F> void Run(int first, int last, int minRows, F& work) {
        Run(first, last, minRows, &CallWork<F>, &work);
    }

    // With the helper switched off every chunk runs on the calling thread (tests compare both ways). It
    // starts switched off on a machine with a single core.
    void SetHelperEnabled(bool enabled) { helperEnabled_.store(enabled, std::memory_order_relaxed); }
    bool HelperEnabled() const { return helperEnabled_.load(std::memory_order_relaxed); }

private:
    enum State : unsigned { kIdle, kPending, kRunning, kStop };

    template <typename F> static void CallWork(void* context, int first, int last, int lane) {
        (*static_cast<F*>(context))(first, last, lane);
    }

    void RunChunks(int lane);
    void HelperLoop();
    bool WaitForWork();
    void StartHelper();

    // The job, written by the caller before it publishes kPending and left alone until the helper is
    // back to kIdle.
    ChunkFn fn_ = nullptr;
    void* context_ = nullptr;
    long long last_ = 0;
    long long minRows_ = 1;

    // The first row no thread has claimed yet.
    alignas(64) std::atomic<long long> nextRow_{0};
    alignas(64) std::atomic<unsigned> state_{kIdle};
    alignas(64) std::atomic_flag inUse_;
    std::atomic<bool> helperEnabled_{true};
    std::thread helper_;
};
