#include "simulation/CycleBlock.h"
#include "simulation/KernelBlock.h"

#include <immintrin.h>

namespace SimulationKernel {
namespace {

struct Avx512
{
    using Reg = __m512i;
    static constexpr int width = 16;

    static Reg broadcast(std::uint32_t value) { return _mm512_set1_epi32(static_cast<int>(value)); }
    static Reg loadStates(const std::uint32_t* states) { return _mm512_loadu_si512(states); }
    static Reg threshold(std::uint32_t value) { return broadcast(value); }
    static Reg countFailure(Reg failed, Reg state, Reg threshold)
    {
        return _mm512_mask_add_epi32(failed, _mm512_cmplt_epu32_mask(state, threshold), failed,
                                     broadcast(1));
    }
    static Reg add(Reg a, Reg b) { return _mm512_add_epi32(a, b); }
    static Reg mul(Reg a, Reg b) { return _mm512_mullo_epi32(a, b); }
    // The masked forms, with every lane selected: GCC 12 warns about its own unmasked ones.
    static Reg shiftLeft(Reg a, Reg b) { return _mm512_maskz_sllv_epi32(0xFFFF, a, b); }
    static Reg shiftRight(Reg a, Reg b) { return _mm512_maskz_srlv_epi32(0xFFFF, a, b); }
    static Reg bitAnd(Reg a, Reg b) { return _mm512_and_si512(a, b); }
    static void store(std::uint32_t* target, Reg value) { _mm512_store_si512(target, value); }

    using Mask = __mmask16;
    static Reg loadValues(const std::uint32_t* values) { return _mm512_loadu_si512(values); }
    static void storeValues(std::uint32_t* target, Reg value)
    {
        _mm512_storeu_si512(target, value);
    }
    static Reg sub(Reg a, Reg b) { return _mm512_sub_epi32(a, b); }
    static bool any(Mask m) { return m != 0; }
    static Mask failures(Reg state, Reg threshold)
    {
        return _mm512_cmplt_epu32_mask(state, threshold);
    }
    static Mask differ(Mask a, Mask b) { return _kxor_mask16(a, b); }
    static Mask either(Mask a, Mask b) { return _kor_mask16(a, b); }
    static Reg subWhere(Reg a, Mask m, Reg b) { return _mm512_mask_sub_epi32(a, m, a, b); }
    using MaskBits = std::uint16_t;
    static MaskBits bitsOf(Mask m) { return m; }
    static Mask maskOf(MaskBits bits) { return bits; }
    static Mask lessThan(Reg a, Reg b) { return _mm512_cmplt_epu32_mask(a, b); }
    static Mask notEqual(Reg a, Reg b) { return _mm512_cmpneq_epu32_mask(a, b); }
    static Mask both(Mask a, Mask b) { return _kand_mask16(a, b); }
    static Reg addWhere(Reg a, Mask m, Reg b) { return _mm512_mask_add_epi32(a, m, a, b); }
    static Reg select(Mask m, Reg a, Reg b) { return _mm512_mask_blend_epi32(m, b, a); }
    // The compressing store to memory is slow on some processors; compressing in the register
    // and storing all of it is not.
    static int compress(std::uint32_t* target, Mask m, Reg value)
    {
        _mm512_storeu_si512(target, _mm512_maskz_compress_epi32(m, value));
        return __builtin_popcount(m);
    }
};

// Eight chains of sixteen lanes cover the multiply's latency with 32 registers to hold them.
using Avx512Block = Block<Avx512, 8>;
// Counting along the cycle is the direct loop's work and takes its eight chains. The tally after
// every draw runs fastest with two chains (with four the compiler spills the streams), the strided
// tally, which looks at the levels less often, with four.
using Avx512CycleBlock = CycleBlock<Avx512, 8, 2, 4>;

} // namespace

LaneKernel avx512Kernel()
{
    return {Avx512Block::lanes, &Avx512Block::simulate};
}

CycleKernel avx512CycleKernel()
{
    return Avx512CycleBlock::kernel();
}

} // namespace SimulationKernel
