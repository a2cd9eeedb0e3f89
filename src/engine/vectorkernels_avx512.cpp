// The kernels for AVX-512 (F, DQ, VL); the build gives this file its instruction set.
#define TAVRIN_KERNELS kAvx512Kernels
#include "engine/vectorkernels.inc"
