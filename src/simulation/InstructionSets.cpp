#include "simulation/Kernels.h"

bool isSupported(InstructionSet instructionSet)
{
    switch (instructionSet) {
    case InstructionSet::Avx512:
        return __builtin_cpu_supports("avx512f");
    case InstructionSet::Avx2:
        return __builtin_cpu_supports("avx2");
    case InstructionSet::Scalar:
        return true;
    }
    return false;
}

InstructionSet bestInstructionSet()
{
    for (const InstructionSet candidate : {InstructionSet::Avx512, InstructionSet::Avx2})
        if (isSupported(candidate))
            return candidate;
    return InstructionSet::Scalar;
}

Kernels kernelsFor(InstructionSet instructionSet)
{
    using namespace SimulationKernel;
    const InstructionSet usable =
        isSupported(instructionSet) ? instructionSet : InstructionSet::Scalar;
    switch (usable) {
    case InstructionSet::Avx512:
        return {usable, avx512Kernel(), avx512CycleKernel()};
    case InstructionSet::Avx2:
        return {usable, avx2Kernel(), avx2CycleKernel()};
    case InstructionSet::Scalar:
        break;
    }
    return {InstructionSet::Scalar, scalarKernel(), scalarCycleKernel()};
}

const char* instructionSetName(InstructionSet instructionSet)
{
    switch (instructionSet) {
    case InstructionSet::Avx512:
        return "AVX-512";
    case InstructionSet::Avx2:
        return "AVX2";
    case InstructionSet::Scalar:
        break;
    }
    return "scalar";
}
