// The SIMD code's instruction set, chosen once.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "simd.cpp"
#include "hwy/foreach_target.h" // IWYU pragma: keep

#include "hwy/highway.h"

HWY_BEFORE_NAMESPACE();
namespace radon::HWY_NAMESPACE {
const char *TargetName() { return hwy::TargetName(HWY_TARGET); }
} // namespace radon::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "simd.h"

// The functions' tables, in namespace radon: the dispatching calls below look there.
namespace radon {
HWY_EXPORT(TargetName);
} // namespace radon

void chooseSimdTarget(void) {
    // The page is built for one target, chosen when it is compiled.
#if HWY_TARGETS != HWY_STATIC_TARGET
    static std::once_flag once;
    std::call_once(once, [] {
        const char *asked = std::getenv("RADON_SIMD");
        if (asked && std::strcmp(asked, "scalar") == 0) hwy::DisableTargets(~(int64_t)(HWY_EMU128 | HWY_SCALAR));
    });
#endif
}

const char *simdTargetName(void) {
    chooseSimdTarget();
    using namespace radon;
    return HWY_DYNAMIC_DISPATCH(TargetName)();
}
#endif
