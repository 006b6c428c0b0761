// The row rules compiled for AVX2 (this file alone is built with AVX2
// enabled); used only when the processor reports AVX2.
#if defined(__AVX2__)
#include "draw/effects/vector_effects_impl.h"
#include "draw/effects/vector_rows_impl.h"

namespace elDraw {
const RowKernel* Avx2Rows() {
    static const RowTable<32> table;
    return table.rows;
}
const EffectKernels* Avx2Effects() {
    static const EffectTable<32> table;
    return &table.kernels;
}
}  // namespace elDraw
#else
#include "draw/effects/vector_rows.h"

namespace elDraw {
const RowKernel* Avx2Rows() { return nullptr; }
const EffectKernels* Avx2Effects() { return nullptr; }
}  // namespace elDraw
#endif
