#include "simulation/CycleBlock.h"
#include "simulation/KernelBlock.h"

namespace SimulationKernel {
namespace {

struct Scalar
{
    using Reg = std::uint32_t;
    static constexpr int width = 1;

    static Reg broadcast(std::uint32_t value) { return value; }
    static Reg loadStates(const std::uint32_t* states) { return *states; }
    static Reg threshold(std::uint32_t value) { return value; }
    static Reg countFailure(Reg failed, Reg state, Reg threshold)
    {
        return failed + (state < threshold);
    }
    static Reg add(Reg a, Reg b) { return a + b; }
    static Reg mul(Reg a, Reg b) { return a * b; }
    static Reg shiftLeft(Reg a, Reg b) { return a << b; }
    static Reg shiftRight(Reg a, Reg b) { return a >> b; }
    static Reg bitAnd(Reg a, Reg b) { return a & b; }
    static void store(std::uint32_t* target, Reg value) { *target = value; }

    using Mask = bool;
    static Reg loadValues(const std::uint32_t* values) { return *values; }
    static void storeValues(std::uint32_t* target, Reg value) { *target = value; }
    static Reg sub(Reg a, Reg b) { return a - b; }
    static bool any(Mask m) { return m; }
    static Mask failures(Reg state, Reg threshold) { return state < threshold; }
    static Mask differ(Mask a, Mask b) { return a != b; }
    static Mask either(Mask a, Mask b) { return a || b; }
    static Reg subWhere(Reg a, Mask m, Reg b) { return a - (m ? b : 0); }
    using MaskBits = std::uint8_t;
    static MaskBits bitsOf(Mask m) { return m ? 1 : 0; }
    static Mask maskOf(MaskBits bits) { return bits != 0; }
    static Mask lessThan(Reg a, Reg b) { return a < b; }
    static Mask notEqual(Reg a, Reg b) { return a != b; }
    static Mask both(Mask a, Mask b) { return a && b; }
    static Reg addWhere(Reg a, Mask m, Reg b) { return a + (m ? b : 0); }
    static Reg select(Mask m, Reg a, Reg b) { return m ? a : b; }
    static int compress(std::uint32_t* target, Mask m, Reg value)
    {
        *target = value;
        return m ? 1 : 0;
    }
};

// Four chains keep the multiplier busy while each waits for its own previous product.
using ScalarBlock = Block<Scalar, 4>;
using ScalarCycleBlock = CycleBlock<Scalar, 4, 4, 4>;

} // namespace

LaneKernel scalarKernel()
{
    return {ScalarBlock::lanes, &ScalarBlock::simulate};
}

CycleKernel scalarCycleKernel()
{
    return ScalarCycleBlock::kernel();
}

} // namespace SimulationKernel
