#include "history/fieldvalue.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

namespace orbelune {

namespace {

// Walks a field, stepping over the characters that never count: a number may be typed with
// blanks or tabs between its digits, and it still reads as one number.
class FieldCursor
{
public:
    explicit FieldCursor(QStringView text)
        : m_text(text)
    {
    }

    // The next character that counts, or 0 at the end of the field.
    char16_t peek()
    {
        while (m_pos < m_text.size()) {
            const char16_t c = m_text[m_pos].unicode();
            if (c != u' ' && c != u'\t' && c != u'\n')
                return c;
            ++m_pos;
        }
        return 0;
    }

    void advance() { ++m_pos; }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

bool isDecimalDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

int hexDigitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// Exponents far beyond the range of a double say all there is to say; stopping the count
// there keeps a field of a million digits from overflowing it.
constexpr std::int64_t exponentCap = std::int64_t(1) << 40;

std::int64_t capped(std::int64_t value)
{
    return value > exponentCap ? exponentCap : value < -exponentCap ? -exponentCap : value;
}

// An &H or &O integer, never negative. The digits are gathered as hexadecimal (an octal digit
// is three bits) so that the conversion to double rounds once, however long the number.
std::optional<double> readRadixInteger(FieldCursor &in, int bitsPerDigit)
{
    const int radix = 1 << bitsPerDigit;
    std::string bits; // one char per bit for octal input, before regrouping
    std::string hex;
    for (char16_t c = in.peek();; c = in.peek()) {
        const int digit = hexDigitValue(c);
        if (digit < 0 || digit >= radix)
            break;
        in.advance();
        if (bitsPerDigit == 4) {
            if (!hex.empty() || digit != 0)
                hex.push_back(char(c));
        } else {
            if (!bits.empty() || digit != 0) {
                for (int b = 2; b >= 0; --b)
                    bits.push_back(char('0' + ((digit >> b) & 1)));
            }
        }
    }
    if (bitsPerDigit == 3 && !bits.empty()) {
        bits.insert(0, std::size_t((4 - bits.size() % 4) % 4), '0');
        for (std::size_t i = 0; i < bits.size(); i += 4) {
            const int nibble = (bits[i] - '0') << 3 | (bits[i + 1] - '0') << 2
                | (bits[i + 2] - '0') << 1 | (bits[i + 3] - '0');
            if (!hex.empty() || nibble != 0)
                hex.push_back("0123456789abcdef"[nibble]);
        }
    }
    if (hex.empty())
        return 0.0;

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
    FieldCursor in(text);
    char16_t c = in.peek();

    if (c == u'&') {
        in.advance();
        const char16_t kind = in.peek();
        if (kind == u'H' || kind == u'h') {
            in.advance();
            return readRadixInteger(in, 4);
        }
        if (kind == u'O' || kind == u'o') {
            in.advance();
            return readRadixInteger(in, 3);
        }
        return 0.0;
    }

    bool negative = false;
    if (c == u'+' || c == u'-') {
        negative = c == u'-';
        in.advance();
        c = in.peek();
    }

    // The number is kept as 0.<significant> × 10^scale: leading zeros are dropped, and the
    // scale counts the places the decimal point moves.
    std::string significant;
    std::int64_t scale = 0;
    bool anyDigit = false;
    for (; isDecimalDigit(c); c = in.peek()) {
        anyDigit = true;
        if (!significant.empty() || c != u'0') {
            significant.push_back(char(c));
            scale = capped(scale + 1);
        }
        in.advance();
    }
    if (c == u'.') {
        in.advance();
        for (c = in.peek(); isDecimalDigit(c); c = in.peek()) {
            anyDigit = true;
            if (!significant.empty() || c != u'0')
                significant.push_back(char(c));
            else
                scale = capped(scale - 1);
            in.advance();
        }
    }
    if (!anyDigit)
        return 0.0;

    std::int64_t exponent = 0;
    if (c == u'E' || c == u'e') {
        in.advance();
        c = in.peek();
        bool negativeExponent = false;
        if (c == u'+' || c == u'-') {
            negativeExponent = c == u'-';
            in.advance();
            c = in.peek();
        }
        for (; isDecimalDigit(c); c = in.peek()) {
            exponent = capped(exponent * 10 + (c - u'0'));
            in.advance();
        }
        if (negativeExponent)
            exponent = -exponent;
    }

    while (!significant.empty() && significant.back() == '0')
        significant.pop_back();
    if (significant.empty())
        return 0.0;

    // The value lies in [10^(scale-1), 10^scale): past 10^309 it is beyond every double,
    // below 10^-325 it rounds to zero.
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
