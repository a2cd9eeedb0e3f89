// The kernels for the architecture's baseline; the build gives this file its instruction set.
#define TAVRIN_KERNELS kBaselineKernels
#include "engine/vectorkernels.inc"
