#pragma once

#include <QtGlobal>

#include <memory>
#include <random>

namespace orbelune {

// Where the draw takes its random values from; tests hand in scripted ones.
class RandomSource
{
public:
    virtual ~RandomSource() = default;

    // The next value r, a float with 0 ≤ r < 1.
    virtual float next() = 0;
};

// A Mersenne Twister seeded once, from the system's generator unless a seed is given. Each value
// is the top 24 bits of one output, a multiple of 2^-24 that can never round up to 1.
class EngineRandomSource final : public RandomSource
{
public:
    EngineRandomSource();
    explicit EngineRandomSource(quint32 seed);

    float next() override;

private:
    std::mt19937 m_engine;
};

} // namespace orbelune
