#pragma once

#include <QtGlobal>

namespace orbelune {

// Index of the candidate to throw out of a pool of n items for a random value r in [0, 1):
// floor(n × r), with n taken as a float and the product kept in double precision, so that
// the result lies in 0 … n − 1 for every r below 1 (no rounding up to n).
qint16 eliminationIndex(qint16 n, float r);

} // namespace orbelune
