#include "rules/EcmaRegex.h"

#include "rules/PreviewLimit.h"

#include <pcre2.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

// Enough for any sensible renaming pattern on a file name, small enough that a catastrophic
// pattern gives up after a few milliseconds per name instead of freezing the preview.
constexpr uint32_t kMatchLimit = 1'000'000;

// PCRE2 counts its limit afresh at every position a search starts from, so one search over a
// name of n units may take n times the limit. The search runs first with this far smaller
// limit, which a sensible pattern never reaches; only a search that reaches it is redone one
// start position at a time with the full limit, the time checked between positions.
constexpr uint32_t kQuickLimit = 5'000;

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
    explicit PatternTranslator(const QString &source) : m_src(source) { prescan(); }

    bool translate();

    const QString &output() const { return m_out; }
    int errorCode() const { return m_errorCode; }
    // Position in the source pattern of a position in the output.
    qsizetype sourceOffset(qsizetype outputOffset) const
    {
        if (outputOffset >= 0 && outputOffset < qsizetype(m_origin.size()))
            return m_origin[size_t(outputOffset)];
        return m_src.size();
    }
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
    QString m_out;
    std::vector<qsizetype> m_origin;
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

struct CodeFree
{
    void operator()(pcre2_code *p) const { pcre2_code_free(p); }
};
struct MatchDataFree
{
    void operator()(pcre2_match_data *p) const { pcre2_match_data_free(p); }
};
struct MatchContextFree
{
    void operator()(pcre2_match_context *p) const { pcre2_match_context_free(p); }
};
struct CompileContextFree
{
    void operator()(pcre2_compile_context *p) const { pcre2_compile_context_free(p); }
};
struct JitStackFree
{
    void operator()(pcre2_jit_stack *p) const { pcre2_jit_stack_free(p); }
};

QString pcreMessage(int code)
{
    PCRE2_UCHAR16 buffer[256];
    const int length = pcre2_get_error_message(code, buffer, std::size(buffer));
    if (length < 0)
        return QStringLiteral("error %1").arg(code);
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(buffer), length);
}

// Why a pattern was rejected and where. The mistakes made while typing a pattern are said in
// the program's own language; PCRE2's rarer complaints keep its English wording, which names
// them more exactly than a loose translation would. The offset counts the code units before
// the place where reading stopped.
QString describeError(int code, qsizetype offset)
{
    const char16_t *description = nullptr;
    switch (code) {
    case PCRE2_ERROR_MISSING_CLOSING_PARENTHESIS:
        description = u"缺少右括号“)”";
        break;
    case PCRE2_ERROR_MISSING_SQUARE_BRACKET:
        description = u"缺少右方括号“]”";
        break;
    case PCRE2_ERROR_QUANTIFIER_INVALID:
        description = u"量词前面没有可以重复的内容";
        break;
    case PCRE2_ERROR_CLASS_RANGE_ORDER:
        description = u"字符类中的范围前大后小";
        break;
    case PCRE2_ERROR_CLASS_INVALID_RANGE:
        description = u"字符类中的范围无效";
        break;
    case PCRE2_ERROR_END_BACKSLASH:
        description = u"模式末尾的“\\”后面缺少字符";
        break;
    case PCRE2_ERROR_END_BACKSLASH_C:
    case PCRE2_ERROR_UNKNOWN_ESCAPE:
    case PCRE2_ERROR_ESCAPE_INVALID_IN_CLASS:
        description = u"无效的转义序列";
        break;
    case PCRE2_ERROR_QUANTIFIER_OUT_OF_ORDER:
        description = u"重复次数 {n,m} 中的数字前大后小";
        break;
    case PCRE2_ERROR_QUANTIFIER_TOO_BIG:
        description = u"重复次数 {n,m} 中的数字太大";
        break;
    default:
        return QStringLiteral("%1 at offset %2").arg(pcreMessage(code)).arg(offset);
    }
    const QString where = offset > 0 ? QStringLiteral("（第 %1 个字符后）").arg(offset)
                                     : QStringLiteral("（在开头）");
    return QString::fromUtf16(description) + where;
}

// One piece of a parsed replacement template.
struct Piece
{
    enum Kind { Text, Group, Match, Before, After };
    Kind kind;
    qsizetype from = 0; // Text: range in the template
    qsizetype length = 0;
    int group = 0; // Group: capture number, 0 for "always empty"
};

} // namespace

struct EcmaRegex::Compiled
{
    std::unique_ptr<pcre2_code, CodeFree> code;
    std::unique_ptr<pcre2_match_data, MatchDataFree> matchData;
    std::unique_ptr<pcre2_match_context, MatchContextFree> matchContext; // kQuickLimit
    std::unique_ptr<pcre2_match_context, MatchContextFree> slowContext;  // kMatchLimit
    std::unique_ptr<pcre2_jit_stack, JitStackFree> jitStack;
    bool jit = false;
    int captureCount = 0;
    bool hasNames = false;

    // The last replacement template parsed; a rule pass uses the same one for every name.
    QString templateText;
    std::vector<Piece> pieces;
    bool templateParsed = false;
    EcmaRegex::Stop stop = EcmaRegex::Stop::AtEnd;

    // The next match from `offset` on, as pcre2_match answers; PCRE2_ERROR_MATCHLIMIT when
    // one start position needs more than kMatchLimit, kOutOfTime past the deadline.
    int findNext(PCRE2_SPTR units, PCRE2_SIZE length, PCRE2_SIZE offset,
                 const QDeadlineTimer &deadline) const;
    static constexpr int kOutOfTime = 1 - 0x10000;

    void parseTemplate(const QString &replacement);
    void appendExpansion(QString &out, const QString &subject, const PCRE2_SIZE *ovector,
                         int pairs) const;
};

// ECMAScript's GetSubstitution, parsed once per template.
void EcmaRegex::Compiled::parseTemplate(const QString &replacement)
{
    templateText = replacement;
    templateParsed = true;
    pieces.clear();
    const qsizetype n = replacement.size();
    auto addText = [this](qsizetype from, qsizetype length) {
        if (!pieces.empty() && pieces.back().kind == Piece::Text &&
            pieces.back().from + pieces.back().length == from)
            pieces.back().length += length;
        else
            pieces.push_back({Piece::Text, from, length});
    };
    qsizetype i = 0;
    while (i < n) {
        if (replacement[i] != u'$' || i + 1 >= n) {
            addText(i, 1);
            ++i;
            continue;
        }
        const QChar c = replacement[i + 1];
        if (c == u'$') {
            addText(i + 1, 1);
            i += 2;
        } else if (c == u'&') {
            pieces.push_back({Piece::Match});
            i += 2;
        } else if (c == u'`') {
            pieces.push_back({Piece::Before});
            i += 2;
        } else if (c == u'\'') {
            pieces.push_back({Piece::After});
            i += 2;
        } else if (isDigit(c)) {
            int digits = isDigit(i + 2 < n ? replacement[i + 2] : QChar()) ? 2 : 1;
            int index = QStringView(replacement).mid(i + 1, digits).toInt();
            if (index > captureCount && digits == 2) {
                digits = 1;
                index = c.unicode() - u'0';
            }
            if (index >= 1 && index <= captureCount)
                pieces.push_back({Piece::Group, 0, 0, index});
            else
                addText(i, 1 + digits);
            i += 1 + digits;
        } else if (c == u'<' && hasNames) {
            const qsizetype close = replacement.indexOf(u'>', i + 2);
            if (close < 0) {
                addText(i, 2);
                i += 2;
                continue;
            }
            const QString name = replacement.mid(i + 2, close - i - 2);
            const int number = pcre2_substring_number_from_name(
                code.get(), reinterpret_cast<PCRE2_SPTR>(name.utf16()));
            // An unknown name expands to nothing, like an unset group.
            pieces.push_back({Piece::Group, 0, 0, number > 0 ? number : 0});
            i = close + 1;
        } else {
            addText(i, 1);
            ++i;
        }
    }
}

void EcmaRegex::Compiled::appendExpansion(QString &out, const QString &subject,
                                          const PCRE2_SIZE *ovector, int pairs) const
{
    const QStringView s(subject);
    const auto matchStart = qsizetype(ovector[0]);
    const auto matchEnd = qsizetype(ovector[1]);
    for (const Piece &piece : pieces) {
        switch (piece.kind) {
        case Piece::Text:
            out += QStringView(templateText).mid(piece.from, piece.length);
            break;
        case Piece::Match:
            out += s.mid(matchStart, matchEnd - matchStart);
            break;
        case Piece::Before:
            out += s.left(matchStart);
            break;
        case Piece::After:
            out += s.mid(matchEnd);
            break;
        case Piece::Group:
            if (piece.group > 0 && piece.group < pairs) {
                const PCRE2_SIZE from = ovector[2 * piece.group];
                const PCRE2_SIZE to = ovector[2 * piece.group + 1];
                if (from != PCRE2_UNSET && to >= from)
                    out += s.mid(qsizetype(from), qsizetype(to - from));
            }
            break;
        }
    }
}

EcmaRegex::EcmaRegex(const QString &pattern)
{
    PatternTranslator translator(pattern);
    if (!translator.translate()) {
        m_error = describeError(translator.errorCode(), translator.errorOffset());
        return;
    }

    std::unique_ptr<pcre2_compile_context, CompileContextFree> compileContext(
        pcre2_compile_context_create(nullptr));
    if (!compileContext) {
        m_error = pcreMessage(PCRE2_ERROR_NOMEMORY);
        return;
    }
    pcre2_set_compile_extra_options(compileContext.get(), PCRE2_EXTRA_BAD_ESCAPE_IS_LITERAL);
    pcre2_set_newline(compileContext.get(), PCRE2_NEWLINE_LF);

    const uint32_t options = PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS | PCRE2_MATCH_UNSET_BACKREF |
                             PCRE2_DOLLAR_ENDONLY | PCRE2_NEVER_UTF | PCRE2_NEVER_UCP;
    const QString &translated = translator.output();
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    auto d = std::make_unique<Compiled>();
    d->code.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(translated.utf16()),
                                PCRE2_SIZE(translated.size()), options, &errorCode, &errorOffset,
                                compileContext.get()));
    if (!d->code) {
        m_error = describeError(errorCode, translator.sourceOffset(qsizetype(errorOffset)));
        return;
    }

    uint32_t captures = 0;
    pcre2_pattern_info(d->code.get(), PCRE2_INFO_CAPTURECOUNT, &captures);
    uint32_t names = 0;
    pcre2_pattern_info(d->code.get(), PCRE2_INFO_NAMECOUNT, &names);
    d->captureCount = int(captures);
    d->hasNames = names > 0;

    d->matchData.reset(pcre2_match_data_create_from_pattern(d->code.get(), nullptr));
    d->matchContext.reset(pcre2_match_context_create(nullptr));
    if (!d->matchData || !d->matchContext) {
        m_error = pcreMessage(PCRE2_ERROR_NOMEMORY);
        return;
    }
    d->slowContext.reset(pcre2_match_context_create(nullptr));
    if (!d->slowContext) {
        m_error = pcreMessage(PCRE2_ERROR_NOMEMORY);
        return;
    }
    pcre2_set_match_limit(d->matchContext.get(), kQuickLimit);
    pcre2_set_match_limit(d->slowContext.get(), kMatchLimit);

    // The JIT is an optimisation only: without it the interpreter gives the same results.
    d->jit = pcre2_jit_compile(d->code.get(), PCRE2_JIT_COMPLETE) == 0;
    if (d->jit) {
        d->jitStack.reset(pcre2_jit_stack_create(32 * 1024, 1024 * 1024, nullptr));
        if (d->jitStack)
            pcre2_jit_stack_assign(d->matchContext.get(), nullptr, d->jitStack.get());
    }
    this->d = std::move(d);
}

EcmaRegex::~EcmaRegex() = default;
EcmaRegex::EcmaRegex(EcmaRegex &&) noexcept = default;
EcmaRegex &EcmaRegex::operator=(EcmaRegex &&) noexcept = default;

bool EcmaRegex::isValid() const
{
    return d != nullptr;
}

QString EcmaRegex::errorText() const
{
    return m_error;
}

EcmaRegex::Stop EcmaRegex::stop() const
{
    return d ? d->stop : Stop::AtEnd;
}

int EcmaRegex::Compiled::findNext(PCRE2_SPTR units, PCRE2_SIZE length, PCRE2_SIZE offset,
                                  const QDeadlineTimer &deadline) const
{
    pcre2_match_data *data = matchData.get();
    const int rc =
        jit ? pcre2_jit_match(code.get(), units, length, offset, 0, data, matchContext.get())
            : pcre2_match(code.get(), units, length, offset, 0, data, matchContext.get());
    if (rc != PCRE2_ERROR_MATCHLIMIT)
        return rc;
    // An unanchored search is exactly an anchored attempt at each position in turn; made one
    // by one (by the interpreter: the JIT takes no anchoring at match time), each is bounded.
    for (PCRE2_SIZE start = offset; start <= length; ++start) {
        if (deadline.hasExpired())
            return kOutOfTime;
        const int at =
            pcre2_match(code.get(), units, length, start, PCRE2_ANCHORED, data, slowContext.get());
        if (at != PCRE2_ERROR_NOMATCH)
            return at;
    }
    return PCRE2_ERROR_NOMATCH;
}

void EcmaRegex::replaceAll(const QString &subject, const QString &replacement, QString &out,
                           const QDeadlineTimer &deadline) const
{
    out.resize(0);
    if (!d) {
        out.append(subject);
        return;
    }
    d->stop = Stop::AtEnd;
    if (!d->templateParsed || replacement != d->templateText)
        d->parseTemplate(replacement);

    const auto *units = reinterpret_cast<PCRE2_SPTR>(subject.utf16());
    const auto length = PCRE2_SIZE(subject.size());
    const PCRE2_SIZE *ovector = pcre2_get_ovector_pointer(d->matchData.get());

    PCRE2_SIZE copied = 0; // subject[0, copied) is already in out
    PCRE2_SIZE offset = 0;
    while (offset <= length) {
        const int rc = d->findNext(units, length, offset, deadline);
        if (rc == PCRE2_ERROR_NOMATCH)
            break;
        if (rc < 0) {
            d->stop = rc == Compiled::kOutOfTime ? Stop::OutOfTime : Stop::MatchLimit;
            break;
        }
        const PCRE2_SIZE start = ovector[0];
        const PCRE2_SIZE end = ovector[1];
        if (start < copied || end < start) // cannot happen without \K, which is never compiled
            break;
        out += QStringView(subject).mid(qsizetype(copied), qsizetype(start - copied));
        d->appendExpansion(out, subject, ovector, rc == 0 ? d->captureCount + 1 : rc);
        copied = end;
        if (out.size() >= rules::kMaxPreviewLength) {
            rules::capPreview(out);
            return;
        }
        // After an empty match the search goes on one code unit further, so it always ends.
        offset = end == start ? end + 1 : end;
    }
    rules::appendCapped(out, QStringView(subject).mid(qsizetype(copied)));
}

QString EcmaRegex::replaceAll(const QString &subject, const QString &replacement) const
{
    QString out;
    replaceAll(subject, replacement, out);
    return out;
}
