#pragma once

#include <QDeadlineTimer>
#include <QString>

#include <memory>

// An ECMAScript-style pattern compiled with PCRE2 (16-bit code units, no UTF flag, so it works
// on UTF-16 code units like the original engine), global, case-sensitive, "." not matching a
// line feed.
//
// The pattern goes through a small translation first (rules/EcmaTranslation.h) so that PCRE2
// reads it the way a browser-style (non-Unicode, Annex B) engine would, and PCRE2-only syntax
// ("(?i)", "(?>...)", "a*+", ...) is rejected.
//
// Runaway matching is bounded twice: by a match limit for every position a match may start at,
// and by a deadline for the whole search. When either stops it, replaceAll() treats it as "no
// more matches": the rest of the subject is copied unchanged and stop() says why until the next
// call. The result is never built past the preview limit (rules/PreviewLimit.h).
class EcmaRegex
{
public:
    explicit EcmaRegex(const QString &pattern);
    ~EcmaRegex();
    EcmaRegex(EcmaRegex &&) noexcept;
    EcmaRegex &operator=(EcmaRegex &&) noexcept;
    EcmaRegex(const EcmaRegex &) = delete;
    EcmaRegex &operator=(const EcmaRegex &) = delete;

    bool isValid() const;
    // Why the pattern was rejected and where in the pattern as given: the common mistakes in
    // Chinese, the rest in PCRE2's words; "" when valid.
    QString errorText() const;

    // Replaces every match by the replacement, expanded as ECMAScript's String.prototype.replace
    // does ("$1".."$99", "$<name>", "$&", "$`", "$'", "$$"; rules/ReplaceTemplate.h). Gives the
    // subject unchanged when the pattern is invalid. The first form writes into `out`, keeping its
    // storage, for a pass over many names.
    void replaceAll(const QString &subject, const QString &replacement, QString &out,
                    const QDeadlineTimer &deadline = QDeadlineTimer(QDeadlineTimer::Forever)) const;
    QString replaceAll(const QString &subject, const QString &replacement) const;

    // Why the last replaceAll() ended: at the end of the subject, or early because a match
    // exceeded the match limit or the deadline passed.
    enum class Stop { AtEnd, MatchLimit, OutOfTime };
    Stop stop() const;

private:
    struct Compiled;
    std::unique_ptr<Compiled> d;
    QString m_error;
};
