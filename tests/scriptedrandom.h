#pragma once

#include "draw/randomsource.h"

#include <QList>

#include <functional>

// Hands out the values a test scripts, in order, then repeats the last one. A test may also
// watch each call, for instance to look at the window in the middle of a draw.
class ScriptedRandom final : public orbelune::RandomSource
{
public:
    explicit ScriptedRandom(QList<float> values, std::function<void()> onNext = {})
        : m_values(std::move(values))
        , m_onNext(std::move(onNext))
    {
    }

    float next() override
    {
        if (m_onNext)
            m_onNext();
        ++m_calls;
        if (m_values.isEmpty())
            return 0.0f;
        return m_calls <= m_values.size() ? m_values.at(m_calls - 1) : m_values.last();
    }

    int calls() const { return m_calls; }

private:
    QList<float> m_values;
    std::function<void()> m_onNext;
    int m_calls = 0;
};
