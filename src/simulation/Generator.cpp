#include "simulation/Generator.h"

#include "platform/Clock.h"

std::uint32_t GeneratorSeed = 0;

void SeedFromClock()
{
    std::uint64_t counter = 0;
    if (platform::QueryPerformanceCounter(counter))
        GeneratorSeed = static_cast<std::uint32_t>(counter);
    else
        GeneratorSeed = platform::GetTickCount();
}

double NextUniform()
{
    GeneratorSeed = Lcg::next(GeneratorSeed);
    return static_cast<double>(GeneratorSeed) * 0x1p-32;
}
