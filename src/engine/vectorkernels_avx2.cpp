// The kernels for AVX2 and FMA; the build gives this file its instruction set.
#define TAVRIN_KERNELS kAvx2Kernels
#include "engine/vectorkernels.inc"
