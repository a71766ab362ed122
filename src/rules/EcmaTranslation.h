#pragma once

#include <QString>

#include <vector>

namespace rules {

// An ECMAScript pattern (non-Unicode mode, with the web-compatibility leniencies of Annex B)
// rewritten so that PCRE2 reads it the same way when compiled with 16-bit code units, no UTF,
// PCRE2_ALT_BSUX and PCRE2_EXTRA_BAD_ESCAPE_IS_LITERAL: "\s" and "." use the ECMAScript
// character sets, escapes PCRE2 knows but ECMAScript does not ("\e", "\h", "\Q", "\p", ...)
// stand for the plain letter, "\8" and "\1" without a group are literal or octal, and
// PCRE2-only syntax ("(?i)", "(?>...)", "a*+", "(*VERB)", ...) is rejected.
//
// Only what must be rewritten or refused is looked at; the rest (bad names, unbalanced
// parentheses, ranges out of order, ...) is left for PCRE2 to report, and sourceOffset() tells
// where in the original pattern its error lies.
class EcmaTranslation
{
public:
    explicit EcmaTranslation(const QString &ecmaPattern);

    bool isValid() const { return m_errorCode == 0; }
    // The pattern for pcre2_compile(); incomplete when not valid.
    const QString &pcrePattern() const { return m_pcrePattern; }
    // Why the pattern was refused, as the PCRE2 error code that says it (PCRE2_ERROR_...), and
    // the code unit of the ECMAScript pattern the fault was found at; 0 when valid.
    int errorCode() const { return m_errorCode; }
    qsizetype errorOffset() const { return m_errorOffset; }
    // The code unit of the ECMAScript pattern that a code unit of pcrePattern() was written
    // for; the pattern's length for an offset past the end.
    qsizetype sourceOffset(qsizetype pcreOffset) const;

private:
    QString m_pcrePattern;
    std::vector<qsizetype> m_origin; // by code unit of m_pcrePattern
    qsizetype m_sourceLength = 0;
    int m_errorCode = 0;
    qsizetype m_errorOffset = 0;
};

} // namespace rules
