#pragma once

#include <functional>
#include <utility>

namespace orbelune {

// A seam for what a test cannot click (a message box, a file dialog, a browser): while a
// test has set a handler, calls go to it instead of to the real thing; an empty handler
// restores the real one.
template <class Signature> class TestHook
{
public:
    using Handler = std::function<Signature>;

    void set(Handler handler) { m_handler = std::move(handler); }

    template <class Real, class... Args> decltype(auto) call(Real &&real, Args &&...args) const
    {
        if (m_handler)
            return m_handler(std::forward<Args>(args)...);
        return real(std::forward<Args>(args)...);
    }

private:
    Handler m_handler;
};

} // namespace orbelune
