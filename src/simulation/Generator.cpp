#include "simulation/Generator.h"

#include "platform/Clock.h"

std::uint32_t GeneratorSeed = 0;

std::uint32_t clockSeed()
{
    std::uint64_t counter = 0;
    if (platform::QueryPerformanceCounter(counter))
        return static_cast<std::uint32_t>(counter);
    return platform::GetTickCount();
}

void SeedFromClock()
{
    GeneratorSeed = clockSeed();
}

double NextUniform()
{
    GeneratorSeed = Lcg::next(GeneratorSeed);
    return static_cast<double>(GeneratorSeed) * 0x1p-32;
}
