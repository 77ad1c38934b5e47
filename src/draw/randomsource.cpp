#include "draw/randomsource.h"

#include <QRandomGenerator>

#include <array>

namespace orbelune {

EngineRandomSource::EngineRandomSource()
{
    // Seed the whole state from the operating system, once; never from the clock.
    std::array<quint32, std::mt19937::state_size> words {};
    QRandomGenerator::system()->fillRange(words.data(), qsizetype(words.size()));
    std::seed_seq seeds(words.begin(), words.end());
    m_engine.seed(seeds);
}

EngineRandomSource::EngineRandomSource(quint32 seed)
    : m_engine(seed)
{
}

float EngineRandomSource::next()
{
    constexpr float kScale = 1.0f / float(1u << 24);
    return float(m_engine() >> 8) * kScale;
}

} // namespace orbelune
