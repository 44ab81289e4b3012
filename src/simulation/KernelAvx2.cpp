#include "simulation/CycleBlock.h"
#include "simulation/KernelBlock.h"

#include <array>
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

    // A set of lanes is a register with all bits set in them.
    using Mask = __m256i;
    static Reg loadValues(const std::uint32_t* values)
    {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(values));
    }
    static void storeValues(std::uint32_t* target, Reg value)
    {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(target), value);
    }
    static Reg sub(Reg a, Reg b) { return _mm256_sub_epi32(a, b); }
    static bool any(Mask m) { return !_mm256_testz_si256(m, m); }
    static Mask failures(Reg state, Reg threshold) { return _mm256_cmpgt_epi32(threshold, state); }
    static Mask differ(Mask a, Mask b) { return _mm256_xor_si256(a, b); }
    static Mask either(Mask a, Mask b) { return _mm256_or_si256(a, b); }
    static Reg subWhere(Reg a, Mask m, Reg b)
    {
        return _mm256_sub_epi32(a, _mm256_and_si256(m, b));
    }
    using MaskBits = std::uint8_t;
    static MaskBits bitsOf(Mask m)
    {
        return static_cast<MaskBits>(_mm256_movemask_ps(_mm256_castsi256_ps(m)));
    }
    static Mask maskOf(MaskBits bits)
    {
        const __m256i laneBits = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
        return _mm256_cmpeq_epi32(_mm256_and_si256(broadcast(bits), laneBits), laneBits);
    }
    static Mask lessThan(Reg a, Reg b) { return _mm256_cmpgt_epi32(flip(b), flip(a)); }
    static Mask notEqual(Reg a, Reg b)
    {
        return _mm256_xor_si256(_mm256_cmpeq_epi32(a, b), broadcast(0xFFFFFFFFu));
    }
    static Mask both(Mask a, Mask b) { return _mm256_and_si256(a, b); }
    static Reg addWhere(Reg a, Mask m, Reg b)
    {
        return _mm256_add_epi32(a, _mm256_and_si256(m, b));
    }
    static Reg select(Mask m, Reg a, Reg b) { return _mm256_blendv_epi8(b, a, m); }
    static int compress(std::uint32_t* target, Mask m, Reg value)
    {
        const int bits = _mm256_movemask_ps(_mm256_castsi256_ps(m));
        const __m256i order = _mm256_cvtepu8_epi32(
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&compressOrder[bits])));
        storeValues(target, _mm256_permutevar8x32_epi32(value, order));
        return __builtin_popcount(static_cast<unsigned>(bits));
    }

private:
    // For each set of lanes, the lanes in it first, in ascending order: AVX2 cannot compress.
    static constexpr std::array<std::uint64_t, 256> compressOrder = [] {
        std::array<std::uint64_t, 256> orders{};
        for (unsigned bits = 0; bits < 256; ++bits) {
            int next = 0;
            for (unsigned lane = 0; lane < 8; ++lane)
                if (bits & (1u << lane))
                    orders[bits] |= std::uint64_t{lane} << (8 * next++);
        }
        return orders;
    }();
};

// Four chains of eight lanes: with state, count and bit fields per chain they fill the sixteen
// registers without spilling.
using Avx2Block = Block<Avx2, 4>;
// The tallies hold two streams, a level, a key and counts per chain: two chains fill the registers.
using Avx2CycleBlock = CycleBlock<Avx2, 4, 2, 2>;

} // namespace

LaneKernel avx2Kernel()
{
    return {Avx2Block::lanes, &Avx2Block::simulate};
}

CycleKernel avx2CycleKernel()
{
    return Avx2CycleBlock::kernel();
}

} // namespace SimulationKernel
