#include "presentation/ResultTable.h"

#include "presentation/CheckedArithmetic.h"

namespace ResultTable {

double addShare(double sum, std::int32_t count, std::int32_t runs)
{
    return static_cast<double>(checkedDivide(count, runs) + sum);
}

} // namespace ResultTable
