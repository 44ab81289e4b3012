#pragma once

#include "simulation/KernelInterface.h"
#include "simulation/SimulationEngine.h"

// The loops of one instruction set, for both methods.
struct Kernels
{
    InstructionSet instructionSet;
    SimulationKernel::LaneKernel lanes;
    SimulationKernel::CycleKernel cycle;
};

// The loops of `instructionSet`, or the scalar ones where the machine lacks it.
Kernels kernelsFor(InstructionSet instructionSet);
