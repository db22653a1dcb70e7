#include "raster/DrawLoopsWide.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

namespace drawloops {

namespace {

std::atomic<LoopWidth> widthLimit{LoopWidth::Avx512};

// A kind of step ports chosen by a test: 0 for none, else the kind's value plus 1.
std::atomic<int> chosenPorts{0};

// The widest build this processor runs.
LoopWidth ProcessorWidth() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    static const LoopWidth width = [] {
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
            __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("bmi2")) {
            return LoopWidth::Avx512;
        }
        return __builtin_cpu_supports("avx2") ? LoopWidth::Avx2 : LoopWidth::Baseline;
    }();
    return width;
#else
    return LoopWidth::Baseline;
#endif
}

// A narrower build named by GV_RASTER_ISA ("avx2", or "baseline" / "scalar" for the loops every x86-64
// runs), so that a processor with wider instructions can measure and test what older ones run. Read
// once; a name it does not know, or a build wider than the processor, leaves the processor's own choice.
LoopWidth EnvironmentWidth() {
    static const LoopWidth width = [] {
        const char* name = std::getenv("GV_RASTER_ISA");
        if (name != nullptr && (std::strcmp(name, "baseline") == 0 || std::strcmp(name, "scalar") == 0)) {
            return LoopWidth::Baseline;
        }
        if (name != nullptr && std::strcmp(name, "avx2") == 0) {
            return LoopWidth::Avx2;
        }
        return LoopWidth::Avx512;
    }();
    return width;
}

// The processor's kind of step ports, or the one GV_RASTER_PORTS names. Read once.
StepPorts ProcessorStepPorts() {
    static const StepPorts kind = [] {
        const char* name = std::getenv("GV_RASTER_PORTS");
        if (name != nullptr && std::strcmp(name, "own") == 0) {
            return StepPorts::Own;
        }
        if (name != nullptr && std::strcmp(name, "shared") == 0) {
            return StepPorts::SharedWithIntegers;
        }
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
        __builtin_cpu_init();
        if (__builtin_cpu_is("intel")) {
            return StepPorts::SharedWithIntegers;
        }
#endif
        return StepPorts::Own;
    }();
    return kind;
}

} // namespace

StepPorts ActiveStepPorts() {
    const int chosen = chosenPorts.load(std::memory_order_relaxed);
    return chosen == 0 ? ProcessorStepPorts() : StepPorts(chosen - 1);
}

void ChooseStepPorts(std::optional<StepPorts> kind) {
    chosenPorts.store(kind ? int(*kind) + 1 : 0, std::memory_order_relaxed);
}

LoopWidth ActiveLoopWidth() {
    return std::min({ProcessorWidth(), EnvironmentWidth(), widthLimit.load(std::memory_order_relaxed)});
}

LoopFn PickWideLoop(Sampling sampling, int srcBytes, int dstBytes, bool opaque, bool tint) {
    const LoopWidth width = ActiveLoopWidth();
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    if (width == LoopWidth::Avx512) {
        return PickAvx512Loop(sampling, srcBytes, dstBytes, opaque, tint);
    }
    if (width == LoopWidth::Avx2) {
        return PickAvx2Loop(sampling, srcBytes, dstBytes, opaque, tint);
    }
#else
    (void)sampling, (void)srcBytes, (void)dstBytes, (void)opaque, (void)tint;
#endif
    return nullptr;
}

void LimitLoopWidth(LoopWidth widest) {
    widthLimit.store(widest, std::memory_order_relaxed);
}

} // namespace drawloops
