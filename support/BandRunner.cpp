#include "support/BandRunner.h"

#include <algorithm>
#include <chrono>
#include <system_error>

#if defined(__linux__)
#include <sched.h>
#endif

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

// How long the helper keeps looking for new work before it sleeps: long enough to span the gap
// between two draws of a frame, short enough that an idle editor does not keep a core busy.
constexpr auto kHelperSpin = std::chrono::microseconds(300);

// Each claim takes this fraction of the rows left (or the smallest chunk, when that is more).
constexpr long long kShareDivisor = 3;

void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    _mm_pause();
#else
    std::this_thread::yield();
#endif
}

// Processors this process may run on: those it is confined to, not merely those the machine has.
unsigned UsableProcessors() {
#if defined(__linux__)
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        return static_cast<unsigned>(CPU_COUNT(&set));
    }
#endif
    return std::thread::hardware_concurrency(); // 0 when unknown
}

} // namespace

// On a single processor a helper could only take turns with the caller.
BandRunner::BandRunner() : helperEnabled_(UsableProcessors() != 1) {}

BandRunner::~BandRunner() {
    if (helper_.joinable()) {
        state_.store(kStop, std::memory_order_release);
        state_.notify_all();
        helper_.join();
    }
}

BandRunner& BandRunner::Shared() {
    static BandRunner runner;
    return runner;
}

void BandRunner::Run(int first, int last, int minRows, ChunkFn fn, void* context) {
    if (last < first) {
        return;
    }
    if (minRows < 1) {
        minRows = 1;
    }
    const bool share = static_cast<long long>(last) - first >= minRows && HelperEnabled() &&
                       !inUse_.test_and_set(std::memory_order_acquire);
    if (!share) {
        fn(context, first, last, 0);
        return;
    }
    if (!helper_.joinable()) {
        StartHelper();
    }
    fn_ = fn;
    context_ = context;
    last_ = last;
    minRows_ = minRows;
    nextRow_.store(first, std::memory_order_relaxed);
    if (helper_.joinable()) {
        state_.store(kPending, std::memory_order_release);
        state_.notify_one();
    }
    RunChunks(0);
    // Take the offer back if the helper never came; otherwise wait for its last chunk to finish.
    unsigned expected = kPending;
    if (!state_.compare_exchange_strong(expected, kIdle, std::memory_order_acquire)) {
        for (int round = 0; state_.load(std::memory_order_acquire) != kIdle; ++round) {
            // A helper put off its core mid-chunk needs the core back sooner than spinning gives it.
            if (round < 4096) {
                CpuRelax();
            } else {
                std::this_thread::yield();
            }
        }
    }
    inUse_.clear(std::memory_order_release);
}

// Claims and runs chunks, each a share of the rows left, until none are left.
void BandRunner::RunChunks(int lane) {
    long long from = nextRow_.load(std::memory_order_relaxed);
    for (;;) {
        long long rows;
        do {
            if (from > last_) {
                return;
            }
            const long long left = last_ - from + 1;
            rows = std::min(left, std::max<long long>(minRows_, left / kShareDivisor));
        } while (!nextRow_.compare_exchange_weak(from, from + rows, std::memory_order_relaxed));
        fn_(context_, static_cast<int>(from), static_cast<int>(from + rows - 1), lane);
        from += rows;
    }
}

void BandRunner::StartHelper() {
    try {
        helper_ = std::thread([this] { HelperLoop(); });
    } catch (const std::system_error&) {
        // No helper: every chunk runs on the caller, which is correct, only slower.
    }
}

// Waits until work is offered (true) or the runner stops (false): spinning first, then asleep.
bool BandRunner::WaitForWork() {
    using Clock = std::chrono::steady_clock;
    const auto spinEnd = Clock::now() + kHelperSpin;
    bool spinning = true;
    for (int round = 0;; ++round) {
        const unsigned state = state_.load(std::memory_order_acquire);
        if (state == kPending || state == kStop) {
            return state == kPending;
        }
        if (spinning && (round & 63) == 63 && Clock::now() > spinEnd) {
            spinning = false;
        }
        if (spinning) {
            CpuRelax();
        } else {
            state_.wait(state, std::memory_order_acquire);
        }
    }
}

void BandRunner::HelperLoop() {
    while (WaitForWork()) {
        unsigned expected = kPending;
        // The caller may have finished every chunk and withdrawn the offer meanwhile.
        if (!state_.compare_exchange_strong(expected, kRunning, std::memory_order_acquire)) {
            continue;
        }
        RunChunks(1);
        state_.store(kIdle, std::memory_order_release);
    }
}
