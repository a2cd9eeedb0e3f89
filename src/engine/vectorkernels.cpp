#include "engine/vectorkernels.h"

#include <atomic>

namespace {

constexpr const VectorKernels* kTables[kVectorTargets] = {nullptr, &kBaselineKernels, &kSse4Kernels,
                                                          &kAvx2Kernels, &kAvx512Kernels};

// What the processor and the system (the registers it saves) allow; the wider tables are built with
// their instruction sets only on x86-64.
bool Supported(VectorTarget target) {
    switch (target) {
    case VectorTarget::Scalar:
    case VectorTarget::Baseline:
        return true;
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    case VectorTarget::Sse4:
        return __builtin_cpu_supports("sse4.2");
    case VectorTarget::Avx2:
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    case VectorTarget::Avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
               __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx2") &&
               __builtin_cpu_supports("fma");
#endif
    default:
        return false;
    }
}

std::atomic<int>& Active() {
    static std::atomic<int> active{static_cast<int>(BestVectorTarget())};
    return active;
}

} // namespace

const char* VectorTargetName(VectorTarget target) {
    static constexpr const char* kNames[kVectorTargets] = {"scalar", "baseline", "sse4", "avx2", "avx512"};
    return kNames[static_cast<int>(target)];
}

bool CanRunVectorTarget(VectorTarget target) {
    return static_cast<int>(target) < kVectorTargets && Supported(target);
}

VectorTarget BestVectorTarget() {
    for (int t = kVectorTargets - 1; t > 0; --t)
        if (Supported(static_cast<VectorTarget>(t)))
            return static_cast<VectorTarget>(t);
    return VectorTarget::Scalar;
}

const VectorKernels* ActiveKernels() {
    return kTables[Active().load(std::memory_order_relaxed)];
}

VectorTarget ActiveVectorTarget() {
    return static_cast<VectorTarget>(Active().load(std::memory_order_relaxed));
}

bool UseVectorTarget(VectorTarget target) {
    if (!CanRunVectorTarget(target))
        return false;
    Active().store(static_cast<int>(target), std::memory_order_relaxed);
    return true;
}
