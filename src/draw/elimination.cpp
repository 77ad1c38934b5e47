#include "draw/elimination.h"

#include <cmath>

namespace orbelune {

qint16 eliminationIndex(qint16 n, float r)
{
    // The product of two floats is exact in double precision; rounding it back to float
    // could turn 32.999998 into 33 and index past the pool.
    const double product = double(float(n)) * double(r);
    return qint16(std::floor(product));
}

} // namespace orbelune
