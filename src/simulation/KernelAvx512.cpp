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
};

// Eight chains of sixteen lanes cover the multiply's latency with 32 registers to hold them.
using Avx512Block = Block<Avx512, 8>;

} // namespace

LaneKernel avx512Kernel()
{
    return {Avx512Block::lanes, &Avx512Block::simulate};
}

} // namespace SimulationKernel
