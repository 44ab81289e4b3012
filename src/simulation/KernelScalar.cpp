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
};

// Four chains keep the multiplier busy while each waits for its own previous product.
using ScalarBlock = Block<Scalar, 4>;

} // namespace

LaneKernel scalarKernel()
{
    return {ScalarBlock::lanes, &ScalarBlock::simulate};
}

} // namespace SimulationKernel
