#include "rules/EcmaTranslation.h"

#include <pcre2.h>

#include <algorithm>
#include <optional>

namespace rules {

namespace {

// ECMAScript's WhiteSpace and LineTerminator code points, and their complement, written for the
// inside of a PCRE2 class (PCRE2's own \s is ASCII-only without UCP, and \v means something else).
constexpr QLatin1StringView kSpaceSet("\\u0009-\\u000d\\u0020\\u00a0\\u1680\\u2000-\\u200a\\u2028"
                                      "\\u2029\\u202f\\u205f\\u3000\\ufeff");
constexpr QLatin1StringView
    kNonSpaceSet("\\u0000-\\u0008\\u000e-\\u001f\\u0021-\\u009f\\u00a1-\\u167f"
                 "\\u1681-\\u1fff\\u200b-\\u2027\\u202a-\\u202e\\u2030-\\u205e"
                 "\\u2060-\\u2fff\\u3001-\\ufefe\\uff00-\\uffff");
// "." stops at every ECMAScript line terminator, not only at a line feed.
constexpr QLatin1StringView kDot("[^\\u000a\\u000d\\u2028\\u2029]");

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isHexDigit(QChar c)
{
    return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool isOctalDigit(QChar c)
{
    return c >= u'0' && c <= u'7';
}

// "\uXXXX", which PCRE2 reads as one code unit under PCRE2_ALT_BSUX.
QString codeUnitEscape(char16_t unit)
{
    return QStringLiteral("\\u%1").arg(unsigned(unit), 4, 16, QLatin1Char('0'));
}

// A character standing for itself, escaped where PCRE2 could read it as syntax.
QString literal(QChar c)
{
    if (c > u' ' && c < u'\x7f' && !isAsciiLetter(c) && !isDigit(c))
        return QString(u'\\') + c;
    return QString(c);
}

// Rewrites an ECMAScript (non-Unicode mode, with the web-compatibility leniencies) pattern into
// an equivalent PCRE2 pattern. It tokenizes just enough to find escapes, classes, groups and
// quantifiers; everything else is PCRE2's job.
class PatternTranslator
{
public:
    // Writes the PCRE2 pattern to `out` and, for each of its code units, the position in the
    // source it stands for to `origin`.
    PatternTranslator(const QString &source, QString &out, std::vector<qsizetype> &origin)
        : m_src(source), m_out(out), m_origin(origin)
    {
        prescan();
    }

    bool translate();

    int errorCode() const { return m_errorCode; }
    qsizetype errorOffset() const { return m_errorOffset; }

private:
    enum class Prev { Nothing, Atom, Assertion, Quantifier, LazyQuantifier };
    struct ClassItem
    {
        QString text;
        bool isSet = false;  // \d, \s, ...: cannot be a range end
        bool isDash = false; // an unescaped '-'
    };

    void prescan();
    void put(QStringView text, qsizetype from);
    bool fail(int code, qsizetype at);
    QChar at(qsizetype i) const { return i < m_src.size() ? m_src[i] : QChar(); }
    std::optional<qsizetype> braceQuantifierEnd(qsizetype start) const;
    qsizetype nameEnd(qsizetype start) const;
    void backReference(int number, qsizetype from);
    bool quantifier(qsizetype start, qsizetype end);
    bool group();
    bool escape();
    bool characterClass();
    std::optional<ClassItem> classEscape();
    QString octalOrDigit(qsizetype &p) const;
    void hexEscape(qsizetype p, QString &text, qsizetype &length) const;

    const QString &m_src;
    QString &m_out;
    std::vector<qsizetype> &m_origin;
    qsizetype m_pos = 0;
    Prev m_prev = Prev::Nothing;
    struct OpenGroup
    {
        bool lookbehind = false;
        int capture = 0; // its capture number, 0 when it captures nothing
    };
    std::vector<OpenGroup> m_openGroups;
    int m_capturesOpened = 0;
    std::vector<QString> m_groupNames; // by capture number - 1; "" for unnamed groups
    bool m_hasNamedGroups = false;
    int m_errorCode = 0;
    qsizetype m_errorOffset = 0;
};

// Back-references may point forward, and "\k" means a named reference only when the pattern has
// named groups, so the groups are listed before translating.
void PatternTranslator::prescan()
{
    bool inClass = false;
    for (qsizetype i = 0; i < m_src.size(); ++i) {
        const QChar c = m_src[i];
        if (c == u'\\') {
            ++i;
        } else if (inClass) {
            inClass = c != u']';
        } else if (c == u'[') {
            inClass = true;
            if (at(i + 1) == u'^')
                ++i;
        } else if (c == u'(') {
            if (at(i + 1) != u'?') {
                m_groupNames.emplace_back();
            } else if (at(i + 2) == u'<' && at(i + 3) != u'=' && at(i + 3) != u'!') {
                const qsizetype end = nameEnd(i + 3);
                m_groupNames.push_back(end < 0 ? QString() : m_src.mid(i + 3, end - 1 - (i + 3)));
                m_hasNamedGroups = true;
            }
        }
    }
}

void PatternTranslator::put(QStringView text, qsizetype from)
{
    m_out += text;
    m_origin.insert(m_origin.end(), size_t(text.size()), from);
}

bool PatternTranslator::fail(int code, qsizetype at)
{
    m_errorCode = code;
    m_errorOffset = at;
    return false;
}

bool PatternTranslator::translate()
{
    while (m_pos < m_src.size()) {
        const qsizetype start = m_pos;
        const QChar c = m_src[m_pos];
        switch (c.unicode()) {
        case u'\\':
            if (!escape())
                return false;
            break;
        case u'[':
            if (!characterClass())
                return false;
            m_prev = Prev::Atom;
            break;
        case u'(':
            if (!group())
                return false;
            break;
        case u')':
            put(u")", start);
            ++m_pos;
            if (m_openGroups.empty()) {
                m_prev = Prev::Atom; // PCRE2 reports the unmatched parenthesis
            } else {
                m_prev = m_openGroups.back().lookbehind ? Prev::Assertion : Prev::Atom;
                m_openGroups.pop_back();
            }
            break;
        case u'|':
            put(u"|", start);
            ++m_pos;
            m_prev = Prev::Nothing;
            break;
        case u'^':
        case u'$':
            put(QStringView(&c, 1), start);
            ++m_pos;
            m_prev = Prev::Assertion;
            break;
        case u'.':
            put(kDot.toString(), start);
            ++m_pos;
            m_prev = Prev::Atom;
            break;
        case u'*':
        case u'+':
        case u'?':
            if (!quantifier(start, start + 1))
                return false;
            break;
        case u'{':
            if (const auto end = braceQuantifierEnd(start)) {
                if (!quantifier(start, *end))
                    return false;
                break;
            }
            [[fallthrough]]; // a brace that starts no quantifier is a literal
        default:
            put(literal(c), start);
            ++m_pos;
            m_prev = Prev::Atom;
            break;
        }
    }
    return true;
}

// A group name starting at start and closed by '>': the position after the '>', or -1. Stops at
// the first character that cannot be part of a name, so that scanning stays linear.
qsizetype PatternTranslator::nameEnd(qsizetype start) const
{
    qsizetype p = start;
    while (p < m_src.size() &&
           (m_src[p] == u'_' || m_src[p] == u'$' || m_src[p].unicode() >= 0x80 ||
            isAsciiLetter(m_src[p]) || isDigit(m_src[p])))
        ++p;
    return at(p) == u'>' ? p + 1 : -1;
}

// "{n}", "{n,}" or "{n,m}" starting at start: the position after the closing brace.
std::optional<qsizetype> PatternTranslator::braceQuantifierEnd(qsizetype start) const
{
    qsizetype p = start + 1;
    if (!isDigit(at(p)))
        return std::nullopt;
    while (isDigit(at(p)))
        ++p;
    if (at(p) == u',') {
        ++p;
        while (isDigit(at(p)))
            ++p;
    }
    if (at(p) != u'}')
        return std::nullopt;
    return p + 1;
}

bool PatternTranslator::quantifier(qsizetype start, qsizetype end)
{
    const QStringView text = QStringView(m_src).mid(start, end - start);
    switch (m_prev) {
    case Prev::Atom:
        m_prev = Prev::Quantifier;
        break;
    case Prev::Quantifier:
        // Only a lazy "?" may follow a quantifier; "a*+" and "a{1}{2}" are errors.
        if (text != u"?")
            return fail(PCRE2_ERROR_QUANTIFIER_INVALID, start);
        m_prev = Prev::LazyQuantifier;
        break;
    default:
        return fail(PCRE2_ERROR_QUANTIFIER_INVALID, start);
    }
    put(text, start);
    m_pos = end;
    return true;
}

bool PatternTranslator::group()
{
    const qsizetype start = m_pos;
    if (at(start + 1) != u'?') {
        put(u"(", start);
        m_pos = start + 1;
        m_openGroups.push_back({false, ++m_capturesOpened});
        m_prev = Prev::Nothing;
        return true;
    }
    const QChar kind = at(start + 2);
    qsizetype end = 0;
    bool lookbehind = false;
    int capture = 0;
    if (kind == u':' || kind == u'=' || kind == u'!') {
        end = start + 3;
    } else if (kind == u'<' && (at(start + 3) == u'=' || at(start + 3) == u'!')) {
        end = start + 4;
        lookbehind = true;
    } else if (kind == u'<') {
        // A named group; PCRE2 checks the name itself.
        end = nameEnd(start + 3);
        if (end < 0)
            return fail(PCRE2_ERROR_MISSING_NAME_TERMINATOR, start + 3);
        capture = ++m_capturesOpened;
    } else {
        // "(?i)", "(?>", "(?#", "(?P<", "(?|", "(?R)", ... are PCRE2's, not ECMAScript's.
        return fail(PCRE2_ERROR_INVALID_AFTER_PARENS_QUERY, start + 2);
    }
    put(QStringView(m_src).mid(start, end - start), start);
    m_pos = end;
    m_openGroups.push_back({lookbehind, capture});
    m_prev = Prev::Nothing;
    return true;
}

void PatternTranslator::backReference(int number, qsizetype from)
{
    // A group that has not closed yet is always unset at this point in ECMAScript, even inside
    // a repetition (each repetition clears the captures within it). PCRE2 would instead fail
    // on a repeated self-reference or see an earlier repetition's capture, so such a reference
    // becomes the empty match it stands for.
    const bool open = std::any_of(m_openGroups.begin(), m_openGroups.end(),
                                  [number](const OpenGroup &g) { return g.capture == number; });
    if (number > m_capturesOpened || open)
        put(u"(?:)", from);
    else // grouped: the JIT fails a repeated bare reference to an unset group
        put(QStringLiteral("(?:\\g{%1})").arg(number), from);
}

// Legacy octal escape ("\1" without a group 1, "\101", "\0") or the identity escapes "\8" and
// "\9". p points at the first digit and is moved past what was used.
QString PatternTranslator::octalOrDigit(qsizetype &p) const
{
    const QChar first = m_src[p];
    if (!isOctalDigit(first)) {
        ++p;
        return QString(first);
    }
    const int maxDigits = first <= u'3' ? 3 : 2;
    int value = 0;
    for (int n = 0; n < maxDigits && isOctalDigit(at(p)); ++n, ++p)
        value = value * 8 + (m_src[p].unicode() - u'0');
    return codeUnitEscape(char16_t(value));
}

// "\xHH" and "\uHHHH" (p at the 'x' or 'u'); without enough hex digits the letter is literal.
void PatternTranslator::hexEscape(qsizetype p, QString &text, qsizetype &length) const
{
    const int digits = m_src[p] == u'x' ? 2 : 4;
    for (int i = 1; i <= digits; ++i) {
        if (!isHexDigit(at(p + i))) {
            text = m_src[p];
            length = 1;
            return;
        }
    }
    text = codeUnitEscape(char16_t(QStringView(m_src).mid(p + 1, digits).toUInt(nullptr, 16)));
    length = 1 + digits;
}

bool PatternTranslator::escape()
{
    const qsizetype start = m_pos;
    if (start + 1 >= m_src.size())
        return fail(PCRE2_ERROR_END_BACKSLASH, start);
    const QChar c = m_src[start + 1];
    m_pos = start + 2;
    m_prev = Prev::Atom;
    switch (c.unicode()) {
    case u'b':
    case u'B':
        put(QStringView(m_src).mid(start, 2), start);
        m_prev = Prev::Assertion;
        return true;
    case u'd':
    case u'D':
    case u'w':
    case u'W':
    case u't':
    case u'n':
    case u'f':
    case u'r':
        put(QStringView(m_src).mid(start, 2), start);
        return true;
    case u'v':
        put(codeUnitEscape(0x0b), start);
        return true;
    case u's':
        put(QLatin1StringView("[") + kSpaceSet + u']', start);
        return true;
    case u'S':
        put(QLatin1StringView("[^") + kSpaceSet + u']', start);
        return true;
    case u'c':
        if (isAsciiLetter(at(start + 2))) {
            put(codeUnitEscape(char16_t(m_src[start + 2].unicode() % 32)), start);
            m_pos = start + 3;
        } else {
            put(u"\\\\", start); // "\c" without a letter is a backslash, then a 'c'
            m_pos = start + 1;
        }
        return true;
    case u'x':
    case u'u': {
        QString text;
        qsizetype length = 0;
        hexEscape(start + 1, text, length);
        put(text, start);
        m_pos = start + 1 + length;
        return true;
    }
    case u'k':
        if (!m_hasNamedGroups) {
            put(u"k", start);
            return true;
        }
        if (at(start + 2) != u'<')
            return fail(PCRE2_ERROR_SUBPATTERN_NAME_EXPECTED, start + 2);
        if (const qsizetype end = nameEnd(start + 3); end >= 0) {
            const QStringView name = QStringView(m_src).mid(start + 3, end - 1 - (start + 3));
            if (name.isEmpty())
                return fail(PCRE2_ERROR_SUBPATTERN_NAME_EXPECTED, start + 3);
            const auto found = std::find(m_groupNames.begin(), m_groupNames.end(), name);
            if (found != m_groupNames.end())
                backReference(int(found - m_groupNames.begin()) + 1, start);
            else
                put(QStringView(m_src).mid(start, end - start), start); // PCRE2 reports it
            m_pos = end;
            return true;
        }
        return fail(PCRE2_ERROR_MISSING_NAME_TERMINATOR, start + 3);
    default:
        break;
    }
    if (isDigit(c)) {
        qsizetype end = start + 1;
        while (isDigit(at(end)))
            ++end;
        // The whole run of digits is one group number if such a group exists.
        bool ok = false;
        const int number = QStringView(m_src).mid(start + 1, end - start - 1).toInt(&ok);
        if (c != u'0' && ok && number <= int(m_groupNames.size())) {
            backReference(number, start);
            m_pos = end;
            return true;
        }
        qsizetype p = start + 1;
        put(octalOrDigit(p), start);
        m_pos = p;
        return true;
    }
    if (isAsciiLetter(c)) {
        put(QStringView(&c, 1), start); // unknown letter escapes stand for the letter
        return true;
    }
    put(literal(c), start);
    return true;
}

std::optional<PatternTranslator::ClassItem> PatternTranslator::classEscape()
{
    const qsizetype start = m_pos;
    if (start + 1 >= m_src.size()) {
        fail(PCRE2_ERROR_END_BACKSLASH, start);
        return std::nullopt;
    }
    const QChar c = m_src[start + 1];
    m_pos = start + 2;
    ClassItem item;
    switch (c.unicode()) {
    case u'd':
    case u'D':
    case u'w':
    case u'W':
        item.text = QStringView(m_src).mid(start, 2).toString();
        item.isSet = true;
        return item;
    case u's':
        item.text = kSpaceSet.toString();
        item.isSet = true;
        return item;
    case u'S':
        item.text = kNonSpaceSet.toString();
        item.isSet = true;
        return item;
    case u't':
    case u'n':
    case u'f':
    case u'r':
        item.text = QStringView(m_src).mid(start, 2).toString();
        return item;
    case u'b':
        item.text = codeUnitEscape(0x08);
        return item;
    case u'v':
        item.text = codeUnitEscape(0x0b);
        return item;
    case u'c': {
        // Inside a class digits and '_' also work as control letters.
        const QChar next = at(start + 2);
        if (isAsciiLetter(next) || isDigit(next) || next == u'_') {
            item.text = codeUnitEscape(char16_t(next.unicode() % 32));
            m_pos = start + 3;
        } else {
            item.text = QStringLiteral("\\\\");
            m_pos = start + 1;
        }
        return item;
    }
    case u'x':
    case u'u': {
        qsizetype length = 0;
        hexEscape(start + 1, item.text, length);
        m_pos = start + 1 + length;
        return item;
    }
    default:
        break;
    }
    if (isDigit(c)) {
        qsizetype p = start + 1;
        item.text = octalOrDigit(p);
        m_pos = p;
    } else if (isAsciiLetter(c)) {
        item.text = c; // "\B", "\k", "\p", ... stand for the letter
    } else {
        item.text = literal(c);
    }
    return item;
}

bool PatternTranslator::characterClass()
{
    const qsizetype start = m_pos;
    m_pos = start + 1;
    QString text(u'[');
    if (at(m_pos) == u'^') {
        text += u'^';
        ++m_pos;
    }
    // In ECMAScript the first ']' always ends the class, so "[]" is empty and "[^]" is anything.
    std::vector<ClassItem> items;
    for (;;) {
        if (m_pos >= m_src.size())
            return fail(PCRE2_ERROR_MISSING_SQUARE_BRACKET, start);
        const QChar c = m_src[m_pos];
        if (c == u']')
            break;
        if (c == u'\\') {
            auto item = classEscape();
            if (!item)
                return false;
            items.push_back(std::move(*item));
        } else {
            // '[' is escaped so that PCRE2 sees no POSIX class such as "[:alpha:]".
            items.push_back({literal(c), false, c == u'-'});
            ++m_pos;
        }
    }
    ++m_pos;

    if (items.empty()) {
        // PCRE2 compiles "[]" to a plain failure and then drops a "?" or "*" after it, so both
        // forms become ordinary classes over every code unit.
        put(text.size() == 1 ? QStringLiteral("[^\\u0000-\\uffff]")
                             : QStringLiteral("[\\u0000-\\uffff]"),
            start);
        return true;
    }

    // A range needs a character on both sides; a hyphen next to \d, \s, ... is a literal hyphen
    // in ECMAScript but an error in PCRE2, and so is one right after a finished range.
    for (size_t i = 0; i < items.size();) {
        const ClassItem &a = items[i];
        if (i + 2 < items.size() && items[i + 1].isDash) {
            const ClassItem &b = items[i + 2];
            text += a.text;
            text += a.isSet || b.isSet ? QStringLiteral("\\-") : QStringLiteral("-");
            text += b.text;
            i += 3;
        } else {
            text += a.text;
            ++i;
        }
    }
    text += u']';
    put(text, start);
    return true;
}

} // namespace

EcmaTranslation::EcmaTranslation(const QString &ecmaPattern) : m_sourceLength(ecmaPattern.size())
{
    PatternTranslator translator(ecmaPattern, m_pcrePattern, m_origin);
    if (!translator.translate()) {
        m_errorCode = translator.errorCode();
        m_errorOffset = translator.errorOffset();
    }
}

qsizetype EcmaTranslation::sourceOffset(qsizetype pcreOffset) const
{
    if (pcreOffset >= 0 && pcreOffset < qsizetype(m_origin.size()))
        return m_origin[size_t(pcreOffset)];
    return m_sourceLength;
}

} // namespace rules
