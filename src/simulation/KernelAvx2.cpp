#include "simulation/KernelBlock.h"

#include <immintrin.h>

namespace SimulationKernel {
namespace {

// AVX2 compares signed only. The state with its top bit flipped follows the same recurrence
// (the multiplier is odd, so a x 2^31 = 2^31 modulo 2^32), and comparing flipped values signed
// orders them as the plain ones unsigned.
struct Avx2
{
    using Reg = __m256i;
    static constexpr int width = 8;

    static Reg broadcast(std::uint32_t value) { return _mm256_set1_epi32(static_cast<int>(value)); }
    static Reg flip(Reg value) { return _mm256_xor_si256(value, broadcast(0x80000000u)); }
    static Reg loadStates(const std::uint32_t* states)
    {
        return flip(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(states)));
    }
    static Reg threshold(std::uint32_t value) { return broadcast(value ^ 0x80000000u); }
    static Reg countFailure(Reg failed, Reg state, Reg threshold)
    {
        return _mm256_sub_epi32(failed, _mm256_cmpgt_epi32(threshold, state));
    }
    static Reg add(Reg a, Reg b) { return _mm256_add_epi32(a, b); }
    static Reg mul(Reg a, Reg b) { return _mm256_mullo_epi32(a, b); }
    static Reg shiftLeft(Reg a, Reg b) { return _mm256_sllv_epi32(a, b); }
    static Reg shiftRight(Reg a, Reg b) { return _mm256_srlv_epi32(a, b); }
    static Reg bitAnd(Reg a, Reg b) { return _mm256_and_si256(a, b); }
    static void store(std::uint32_t* target, Reg value)
    {
        _mm256_store_si256(reinterpret_cast<__m256i*>(target), value);
    }
};

// Four chains of eight lanes: with state, count and bit fields per chain they fill the sixteen
// registers without spilling.
using Avx2Block = Block<Avx2, 4>;

} // namespace

LaneKernel avx2Kernel()
{
    return {Avx2Block::lanes, &Avx2Block::simulate};
}

} // namespace SimulationKernel
