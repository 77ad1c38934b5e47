#include "history/fieldvalue.h"

#include <charconv>
#include <cstdint>
#include <string>
#include <system_error>

namespace orbelune {

namespace {

// Walks a field, stepping over the characters that never count: a number may be typed with
// blanks or tabs between its digits, and it still reads as one number.
struct FieldCursor
{
    QStringView text;
    qsizetype pos = 0;

    // The next character that counts, or 0 at the end of the field.
    char16_t peek()
    {
        for (; pos < text.size(); ++pos) {
            const char16_t c = text[pos].unicode();
            if (c != u' ' && c != u'\t' && c != u'\n')
                return c;
        }
        return 0;
    }
    // Steps over the character peek() gave, and gives the one after it.
    char16_t next()
    {
        ++pos;
        return peek();
    }
};

bool isDecimalDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

int hexDigitValue(char16_t c)
{
    const char16_t lower = c | 0x20; // 'A'-'F' to 'a'-'f'
    return isDecimalDigit(c) ? c - u'0' : lower >= u'a' && lower <= u'f' ? lower - u'a' + 10 : -1;
}

// Exponents far beyond the range of a double say all there is to say; stopping the count
// there keeps a field of a million digits from overflowing it.
constexpr std::int64_t exponentCap = std::int64_t(1) << 40;

std::int64_t capped(std::int64_t value)
{
    return value > exponentCap ? exponentCap : value < -exponentCap ? -exponentCap : value;
}

// An &H or &O integer, never negative. Its bits from the first 1 on are regrouped as hex (an
// octal digit is three bits), so that the conversion to double rounds once, however long.
std::optional<double> readRadixInteger(FieldCursor &in, int bitsPerDigit)
{
    std::string bits; // one char, 0 or 1, a bit
    for (int digit = hexDigitValue(in.peek()); digit >= 0 && digit < (1 << bitsPerDigit);
         digit = hexDigitValue(in.next())) {
        for (int b = bitsPerDigit - 1; b >= 0; --b) {
            if (!bits.empty() || (digit >> b & 1))
                bits.push_back(char(digit >> b & 1));
        }
    }
    if (bits.empty())
        return 0.0;
    bits.insert(0, (4 - bits.size() % 4) % 4, '\0');
    std::string hex;
    for (std::size_t i = 0; i < bits.size(); i += 4)
        hex.push_back(
            "0123456789abcdef"[bits[i] << 3 | bits[i + 1] << 2 | bits[i + 2] << 1 | bits[i + 3]]);
    double value = 0.0;
    const auto [end, error]
        = std::from_chars(hex.data(), hex.data() + hex.size(), value, std::chars_format::hex);
    if (error != std::errc())
        return std::nullopt; // only a value beyond the largest double can fail here
    return value;
}

} // namespace

std::optional<double> readFieldValue(QStringView text)
{
    FieldCursor in { text };
    char16_t c = in.peek();
    if (c == u'&') {
        const char16_t kind = in.next();
        if (kind == u'H' || kind == u'h' || kind == u'O' || kind == u'o') {
            in.next();
            return readRadixInteger(in, kind == u'H' || kind == u'h' ? 4 : 3);
        }
        return 0.0;
    }

    const bool negative = c == u'-';
    if (c == u'+' || c == u'-')
        c = in.next();

    // The number is kept as 0.<significant> × 10^scale: leading zeros are dropped, and the
    // scale counts the places the decimal point moves.
    std::string significant;
    std::int64_t scale = 0;
    bool anyDigit = false;
    for (; isDecimalDigit(c); c = in.next()) {
        anyDigit = true;
        if (!significant.empty() || c != u'0') {
            significant.push_back(char(c));
            scale = capped(scale + 1);
        }
    }
    if (c == u'.') {
        for (c = in.next(); isDecimalDigit(c); c = in.next()) {
            anyDigit = true;
            if (!significant.empty() || c != u'0')
                significant.push_back(char(c));
            else
                scale = capped(scale - 1);
        }
    }
    if (!anyDigit)
        return 0.0;

    std::int64_t exponent = 0;
    if (c == u'E' || c == u'e') {
        c = in.next();
        const bool negativeExponent = c == u'-';
        if (c == u'+' || c == u'-')
            c = in.next();
        for (; isDecimalDigit(c); c = in.next())
            exponent = capped(exponent * 10 + (c - u'0'));
        if (negativeExponent)
            exponent = -exponent;
    }

    while (!significant.empty() && significant.back() == '0')
        significant.pop_back();
    if (significant.empty())
        return 0.0;

    // The value lies in [10^(scale-1), 10^scale): past 10^309 no double, below 10^-325 zero.
    scale = capped(scale + exponent);
    if (scale > 309)
        return std::nullopt;
    if (scale < -325)
        return 0.0;

    std::string decimal = "0." + significant + 'e' + std::to_string(scale);
    double value = 0.0;
    const auto [end, error] = std::from_chars(decimal.data(), decimal.data() + decimal.size(),
                                              value, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        if (scale > 0)
            return std::nullopt;
        value = 0.0;
    }
    return negative ? -value : value;
}

} // namespace orbelune
