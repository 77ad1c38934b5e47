#pragma once

// What every fuzz target shares: turning the fuzzer's bytes into text, and stopping loudly
// when a property does not hold, so that libFuzzer keeps the input and the replay of the
// corpus fails.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);  \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace fuzz {

// Text from bytes. UTF-8 reaches every character a file can bring; where the byte order of
// UTF-16 is wanted too (lone surrogates, which no UTF-8 decoder lets through), the first byte
// chooses: odd means the rest is UTF-16 LE.
inline QString utf8Text(const std::uint8_t *data, std::size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
}

inline QString anyText(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return QString();
    if ((data[0] & 1) == 0)
        return utf8Text(data + 1, size - 1);
    QString text;
    for (std::size_t i = 1; i + 1 < size; i += 2)
        text.append(QChar(char16_t(data[i] | data[i + 1] << 8)));
    return text;
}

} // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);
