#pragma once

#include <QtGlobal>

#include <memory>
#include <random>

namespace orbelune {

// Where the elimination draw takes its random values from. The program uses
// EngineRandomSource; tests hand in scripted values.
class RandomSource
{
public:
    virtual ~RandomSource() = default;

    // The next value r, a float with 0 ≤ r < 1.
    virtual float next() = 0;
};

// A Mersenne Twister seeded once, from the operating system's generator unless a seed
// is given. Each value takes the top 24 bits of one output, so it is a multiple of 2^-24
// and can never round up to 1.
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
