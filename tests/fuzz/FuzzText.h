#pragma once

#include <QString>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>

// Turns a fuzzer's bytes into the texts a function takes. The last byte says
// how the bytes read: as UTF-8 (what a user types or pastes; invalid bytes
// become U+FFFD) or as raw UTF-16 code units, so that lone surrogates and
// every other code unit reach the code under test too. Texts are taken from
// the front, each ending at a backslash followed by any other character
// ("\\" is a backslash), so seed files stay readable: "pattern\nsubject\n".
class FuzzText
{
public:
    FuzzText(const std::uint8_t *data, std::size_t size)
        : m_provider(data, size), m_utf16(m_provider.ConsumeBool())
    {}

    QString next(std::size_t maxBytes = 2048)
    {
        return decode(m_provider.ConsumeRandomLengthString(maxBytes));
    }

    QString rest() { return decode(m_provider.ConsumeRemainingBytesAsString()); }

    template <typename T> T number(T low, T high)
    {
        return m_provider.ConsumeIntegralInRange<T>(low, high);
    }

    template <typename T> T number() { return m_provider.ConsumeIntegral<T>(); }

    bool flag() { return m_provider.ConsumeBool(); }

private:
    QString decode(const std::string &bytes) const
    {
        if (!m_utf16)
            return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
        QString text(qsizetype(bytes.size() / 2), Qt::Uninitialized);
        std::memcpy(text.data(), bytes.data(), std::size_t(text.size()) * sizeof(char16_t));
        return text;
    }

    FuzzedDataProvider m_provider;
    const bool m_utf16;
};

// A broken promise of the code under test: stop here so the fuzzer keeps the
// input that shows it.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            __builtin_trap();                                                                      \
    } while (false)
