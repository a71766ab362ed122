#include "rules/TextRules.h"

#include "rules/PreviewLimit.h"

#include "rules/CaseOverrides.h"

#include <algorithm>
#include <array>

namespace rules {

namespace {

// The longest span rule D removes at once, whatever count the box holds.
constexpr qsizetype kMaxDeletedSpan = 50;

// True when index lies between a high and a low surrogate.
bool splitsPair(const QString &text, qsizetype index)
{
    return index > 0 && index < text.size() && text.at(index - 1).isHighSurrogate() &&
           text.at(index).isLowSurrogate();
}

// Moves a cut that would split a surrogate pair to the end of the pair.
qsizetype wholeCharacterCut(const QString &text, qsizetype index)
{
    return splitsPair(text, index) ? index + 1 : index;
}

bool codeBefore(CaseOverride entry, char32_t code)
{
    return entry.code < code;
}

// The lookup below relies on the generated tables being sorted.
constexpr bool sortedByCode(const auto &overrides)
{
    return std::is_sorted(overrides.begin(), overrides.end(),
                          [](CaseOverride a, CaseOverride b) { return a.code < b.code; });
}
static_assert(sortedByCode(kUpperCaseOverrides) && sortedByCode(kLowerCaseOverrides));

// QChar's mapping unless UnicodeData.txt's simple mapping differs: QChar
// keeps a character whose full mapping is longer (U+0130 would stay U+0130
// instead of becoming U+0069), and its Unicode may be older than the data's.
template <std::size_t N>
char32_t simpleMapping(const std::array<CaseOverride, N> &overrides, char32_t c, char32_t qt)
{
    if constexpr (N == 0) {
        return qt;
    } else {
        // Most names end at the first test: the tables start well past ASCII.
        if (c < overrides.front().code || c > overrides.back().code)
            return qt;
        const auto at = std::lower_bound(overrides.begin(), overrides.end(), c, codeBefore);
        return at->code == c ? at->mapped : qt;
    }
}

template <typename Mapping> void mapCaseSimple(const QString &text, Mapping map, QString &out)
{
    out.resize(0);
    out.append(text);
    const qsizetype size = out.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = out.at(i);
        if (c.isHighSurrogate() && i + 1 < size && out.at(i + 1).isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(c, out.at(i + 1));
            const char32_t mapped = map(code);
            // A mapping that would shrink the pair to one unit is refused so
            // the length stays the same.
            if (mapped != code && QChar::requiresSurrogates(mapped)) {
                out[i] = QChar(QChar::highSurrogate(mapped));
                out[i + 1] = QChar(QChar::lowSurrogate(mapped));
            }
            ++i;
            continue;
        }
        const char32_t mapped = map(char32_t(c.unicode()));
        if (mapped != c.unicode() && !QChar::requiresSurrogates(mapped))
            out[i] = QChar(mapped);
    }
}

// Every occurrence of find, left to right without overlapping, replaced by
// `replacement` (which is never searched again).
void replaceAllOf(const QString &name, const QString &find, QStringView replacement, QString &out)
{
    out.resize(0);
    if (find.isEmpty()) {
        out.append(name);
        return;
    }
    qsizetype copied = 0;
    for (qsizetype at = name.indexOf(find); at >= 0; at = name.indexOf(find, copied)) {
        if (!appendCapped(out, QStringView(name).mid(copied, at - copied)) ||
            !appendCapped(out, replacement))
            return;
        copied = at + find.size();
    }
    appendCapped(out, QStringView(name).mid(copied));
}

} // namespace

// Each rule writes into `out`, replacing what it held: its storage is kept,
// so a pass over many rows reuses one piece of memory for every new name.

void addBeforeAfter(const QString &name, const QString &before, const QString &after, QString &out)
{
    out.resize(0);
    appendCapped(out, before) && appendCapped(out, name) && appendCapped(out, after);
}

void insertAt(const QString &name, qint32 position, const QString &text, QString &out)
{
    out.resize(0);
    if (position >= name.size()) {
        appendCapped(out, name) && appendCapped(out, text);
        return;
    }
    const qsizetype cut = wholeCharacterCut(name, std::max<qsizetype>(position, 0));
    appendCapped(out, QStringView(name).left(cut)) && appendCapped(out, text) &&
        appendCapped(out, QStringView(name).mid(cut));
}

void deleteText(const QString &name, const QString &text, QString &out)
{
    replaceAllOf(name, text, QStringView(), out);
}

void deleteSpan(const QString &name, qint32 start, qint32 count, QString &out)
{
    out.resize(0);
    const qsizetype length = name.size();
    if (start < 1 || count < 1 || start > length) {
        out.append(name);
        return;
    }
    const qsizetype from = start - 1;
    const qsizetype span = std::min({qsizetype(count), kMaxDeletedSpan, length - from});
    // Only whole characters go: a span starting inside a pair starts after it,
    // a span ending inside a pair takes the rest of the pair with it.
    const qsizetype begin = wholeCharacterCut(name, from);
    const qsizetype end = std::max(begin, wholeCharacterCut(name, from + span));
    out.append(QStringView(name).left(begin)).append(QStringView(name).mid(end));
}

void replaceText(const QString &name, const QString &find, const QString &replacement, QString &out)
{
    replaceAllOf(name, find, replacement, out);
}

void toUpperSimple(const QString &text, QString &out)
{
    mapCaseSimple(
        text, [](char32_t c) { return simpleMapping(kUpperCaseOverrides, c, QChar::toUpper(c)); },
        out);
}

void toLowerSimple(const QString &text, QString &out)
{
    mapCaseSimple(
        text, [](char32_t c) { return simpleMapping(kLowerCaseOverrides, c, QChar::toLower(c)); },
        out);
}

} // namespace rules
