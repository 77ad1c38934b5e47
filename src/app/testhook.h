#pragma once

#include <functional>

namespace orbelune {

// A seam for what a test cannot click (a message box, a file dialog, a browser): while a
// test has set a handler, calls go to it instead of to the real thing; an empty handler
// restores the real one.
template <class Signature> struct TestHook : std::function<Signature>
{
    using std::function<Signature>::operator=;

    template <class Real, class... Args> decltype(auto) call(Real &&real, Args &&...args) const
    {
        return *this ? (*this)(args...) : real(args...);
    }
};

} // namespace orbelune
