// The number reader against a reading of its own, done the plain way: drop the blanks, tabs
// and line feeds, take the longest front part that is a number, and let the C library's
// correctly rounded strtod() convert it.

#include "fuzzcheck.h"
#include "history/fieldvalue.h"

#include <cerrno>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

using namespace orbelune;

namespace {

bool isDigit(char16_t c, int radix)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0' < radix;
    return radix == 16 && ((c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'));
}

// What strtod() makes of text in the C locale; empty when the value is beyond a double.
std::optional<double> libraryValue(const std::string &text)
{
    errno = 0;
    const double value = std::strtod(text.c_str(), nullptr);
    if (std::isinf(value))
        return std::nullopt;
    return value;
}

// Octal digits as a hexadecimal C literal, by big-number arithmetic in 32-bit limbs (least
// significant first), so that strtod() rounds the value once.
std::string octalAsHex(const std::u16string &digits)
{
    std::vector<std::uint32_t> limbs { 0 };
    for (char16_t d : digits) {
        std::uint64_t carry = std::uint64_t(d - u'0');
        for (std::uint32_t &limb : limbs) {
            const std::uint64_t next = std::uint64_t(limb) * 8 + carry;
            limb = std::uint32_t(next);
            carry = next >> 32;
        }
        if (carry)
            limbs.push_back(std::uint32_t(carry));
    }
    std::string hex = "0x";
    char buffer[9];
    for (auto it = limbs.rbegin(); it != limbs.rend(); ++it) {
        std::snprintf(buffer, sizeof buffer, it == limbs.rbegin() ? "%x" : "%08x", *it);
        hex += buffer;
    }
    return hex;
}

std::optional<double> referenceValue(const QString &field)
{
    std::u16string s;
    for (QChar c : field) {
        if (c != u' ' && c != u'\t' && c != u'\n')
            s.push_back(c.unicode());
    }
    std::size_t i = 0;
    auto at = [&s](std::size_t k) { return k < s.size() ? s[k] : char16_t(0); };

    if (at(0) == u'&') {
        const char16_t kind = at(1);
        const int radix = kind == u'H' || kind == u'h' ? 16 : kind == u'O' || kind == u'o' ? 8 : 0;
        if (radix == 0)
            return 0.0;
        std::u16string digits;
        for (i = 2; isDigit(at(i), radix); ++i)
            digits.push_back(at(i));
        if (digits.empty())
            return 0.0;
        if (radix == 16)
            return libraryValue("0x" + std::string(digits.begin(), digits.end()));
        return libraryValue(octalAsHex(digits));
    }

    std::string number;
    if (at(i) == u'+' || at(i) == u'-')
        number.push_back(char(at(i++)));
    bool anyDigit = false;
    for (; isDigit(at(i), 10); ++i, anyDigit = true)
        number.push_back(char(at(i)));
    if (at(i) == u'.') {
        number.push_back('.');
        for (++i; isDigit(at(i), 10); ++i, anyDigit = true)
            number.push_back(char(at(i)));
    }
    if (!anyDigit)
        return 0.0;
    number.push_back('e');
    if (at(i) == u'E' || at(i) == u'e') {
        ++i;
        if (at(i) == u'+' || at(i) == u'-')
            number.push_back(char(at(i++)));
        for (; isDigit(at(i), 10); ++i)
            number.push_back(char(at(i)));
    }
    if (number.back() == 'e' || number.back() == '+' || number.back() == '-')
        number.push_back('0');
    return libraryValue(number);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString field = fuzz::utf8Text(data, size);
    const std::optional<double> value = readFieldValue(field);
    const std::optional<double> expected = referenceValue(field);

    FUZZ_CHECK(value.has_value() == expected.has_value());
    if (value) {
        FUZZ_CHECK(std::isfinite(*value));
        // A zero may carry either sign; the sweep only compares it with 34 and 17.
        FUZZ_CHECK(*value == *expected);
    }
    return 0;
}
