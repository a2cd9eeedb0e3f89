// One libFuzzer target; TAVRIN_FUZZ_CHECK names the check it runs.
#include "checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return TAVRIN_FUZZ_CHECK(data, size);
}
