#include "rules/EcmaRegex.h"

#include "rules/EcmaTranslation.h"
#include "rules/PreviewLimit.h"
#include "rules/ReplaceTemplate.h"

#include <pcre2.h>

#include <cstddef>
#include <iterator>
#include <type_traits>

// The template reads PCRE2's offset vector as it is.
static_assert(std::is_same_v<PCRE2_SIZE, std::size_t> &&
              PCRE2_UNSET == rules::ReplaceTemplate::kUnset);

namespace {

// Enough for any sensible renaming pattern on a file name, small enough that a catastrophic
// pattern gives up after a few milliseconds per name instead of freezing the preview.
constexpr uint32_t kMatchLimit = 1'000'000;

// PCRE2 counts its limit afresh at every position a search starts from, so one search over a
// name of n units may take n times the limit. The search runs first with this far smaller
// limit, which a sensible pattern never reaches; only a search that reaches it is redone one
// start position at a time with the full limit, the time checked between positions.
constexpr uint32_t kQuickLimit = 5'000;

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
    // No match is shorter: PCRE2's own bound, which it checks itself at the
    // start of every search. Checked here, a name whose match ended at its
    // end needs no second call to find that no more follow.
    PCRE2_SIZE minLength = 0;

    // The last replacement parsed; a rule pass uses the same one for every name.
    rules::ReplaceTemplate replacement;
    EcmaRegex::Stop stop = EcmaRegex::Stop::AtEnd;

    // The next match from `offset` on, as pcre2_match answers; PCRE2_ERROR_MATCHLIMIT when
    // one start position needs more than kMatchLimit, kOutOfTime past the deadline.
    int findNext(PCRE2_SPTR units, PCRE2_SIZE length, PCRE2_SIZE offset,
                 const QDeadlineTimer &deadline) const;
    static constexpr int kOutOfTime = 1 - 0x10000;

    void parseReplacement(const QString &text);
};

void EcmaRegex::Compiled::parseReplacement(const QString &text)
{
    rules::ReplaceTemplate::GroupNumber numberOf;
    if (hasNames) {
        numberOf = [this](const QString &name) {
            return pcre2_substring_number_from_name(code.get(),
                                                    reinterpret_cast<PCRE2_SPTR>(name.utf16()));
        };
    }
    replacement.parse(text, captureCount, numberOf);
}

EcmaRegex::EcmaRegex(const QString &pattern)
{
    const rules::EcmaTranslation translation(pattern);
    if (!translation.isValid()) {
        m_error = describeError(translation.errorCode(), translation.errorOffset());
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
    const QString &translated = translation.pcrePattern();
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    auto d = std::make_unique<Compiled>();
    d->code.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(translated.utf16()),
                                PCRE2_SIZE(translated.size()), options, &errorCode, &errorOffset,
                                compileContext.get()));
    if (!d->code) {
        m_error = describeError(errorCode, translation.sourceOffset(qsizetype(errorOffset)));
        return;
    }

    uint32_t captures = 0;
    pcre2_pattern_info(d->code.get(), PCRE2_INFO_CAPTURECOUNT, &captures);
    uint32_t names = 0;
    pcre2_pattern_info(d->code.get(), PCRE2_INFO_NAMECOUNT, &names);
    d->captureCount = int(captures);
    d->hasNames = names > 0;
    uint32_t minLength = 0;
    pcre2_pattern_info(d->code.get(), PCRE2_INFO_MINLENGTH, &minLength);
    d->minLength = minLength;

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
    if (!d->replacement.holds(replacement))
        d->parseReplacement(replacement);

    const QStringView text(subject);
    const auto *units = reinterpret_cast<PCRE2_SPTR>(text.utf16());
    const auto length = PCRE2_SIZE(text.size());
    const PCRE2_SIZE *ovector = pcre2_get_ovector_pointer(d->matchData.get());

    PCRE2_SIZE copied = 0; // subject[0, copied) is already in out
    PCRE2_SIZE offset = 0;
    while (offset <= length && length - offset >= d->minLength) {
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
        out += text.mid(qsizetype(copied), qsizetype(start - copied));
        d->replacement.appendExpansion(out, text, ovector, rc == 0 ? d->captureCount + 1 : rc);
        copied = end;
        if (out.size() >= rules::kMaxPreviewLength) {
            rules::capPreview(out);
            return;
        }
        // After an empty match the search goes on one code unit further, so it always ends.
        offset = end == start ? end + 1 : end;
    }
    rules::appendCapped(out, text.mid(qsizetype(copied)));
}

QString EcmaRegex::replaceAll(const QString &subject, const QString &replacement) const
{
    QString out;
    replaceAll(subject, replacement, out);
    return out;
}
