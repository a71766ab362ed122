#include "rules/TextRules.h"

#include <algorithm>

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

template <typename Mapping> QString mapCaseSimple(const QString &text, Mapping map)
{
    QString result;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(c, text.at(i + 1));
            const char32_t mapped = map(code);
            // A mapping that would shrink the pair to one unit is refused so
            // the length stays the same.
            if (mapped != code && QChar::requiresSurrogates(mapped)) {
                if (result.isNull())
                    result = text;
                result[i] = QChar(QChar::highSurrogate(mapped));
                result[i + 1] = QChar(QChar::lowSurrogate(mapped));
            }
            ++i;
            continue;
        }
        const char32_t mapped = map(char32_t(c.unicode()));
        if (mapped != c.unicode() && !QChar::requiresSurrogates(mapped)) {
            // Copy only once the first character actually changes, so names
            // without letters to map cost no allocation.
            if (result.isNull())
                result = text;
            result[i] = QChar(mapped);
        }
    }
    return result.isNull() ? text : result;
}

} // namespace

QString addBeforeAfter(const QString &name, const QString &before, const QString &after)
{
    QString result;
    result.reserve(before.size() + name.size() + after.size());
    result.append(before).append(name).append(after);
    return result;
}

QString insertAt(const QString &name, qint32 position, const QString &text)
{
    if (position >= name.size())
        return name + text;
    const qsizetype cut = wholeCharacterCut(name, std::max<qsizetype>(position, 0));
    QString result;
    result.reserve(name.size() + text.size());
    result.append(QStringView(name).left(cut)).append(text).append(QStringView(name).mid(cut));
    return result;
}

QString deleteText(const QString &name, const QString &text)
{
    if (text.isEmpty() || !name.contains(text))
        return name;
    QString result = name;
    result.remove(text, Qt::CaseSensitive);
    return result;
}

QString deleteSpan(const QString &name, qint32 start, qint32 count)
{
    const qsizetype length = name.size();
    if (start < 1 || count < 1 || start > length)
        return name;
    const qsizetype from = start - 1;
    const qsizetype span = std::min({qsizetype(count), kMaxDeletedSpan, length - from});
    // Only whole characters go: a span starting inside a pair starts after it,
    // a span ending inside a pair takes the rest of the pair with it.
    const qsizetype begin = wholeCharacterCut(name, from);
    const qsizetype end = std::max(begin, wholeCharacterCut(name, from + span));
    if (begin == end)
        return name;
    QString result;
    result.reserve(length - (end - begin));
    result.append(QStringView(name).left(begin)).append(QStringView(name).mid(end));
    return result;
}

QString replaceText(const QString &name, const QString &find, const QString &replacement)
{
    if (find.isEmpty() || !name.contains(find))
        return name;
    QString result = name;
    result.replace(find, replacement, Qt::CaseSensitive);
    return result;
}

QString toUpperSimple(const QString &text)
{
    return mapCaseSimple(text, [](char32_t c) { return QChar::toUpper(c); });
}

QString toLowerSimple(const QString &text)
{
    return mapCaseSimple(text, [](char32_t c) { return QChar::toLower(c); });
}

} // namespace rules
