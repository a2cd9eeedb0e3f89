// The kernels for the architecture's baseline; the build gives this file its instruction set.
#define TAVRIN_KERNELS kBaselineKernels
#define TAVRIN_KERNELS_SCALAR_KEPLER
#include "engine/vectorkernels.inc"
