// The kernels for SSE4.2; the build gives this file its instruction set.
#define TAVRIN_KERNELS kSse4Kernels
#include "engine/vectorkernels.inc"
