#pragma once

#include <QString>

// The text transformations behind the add, delete, replace and case rules.
// Positions and lengths count UTF-16 code units, position 1 being the first.
// No result is built past the preview limit (rules/PreviewLimit.h).
// No cut ever falls between the two halves of a surrogate pair: such a cut
// moves to the end of the pair, so no result holds a lone half.
namespace rules {

// Each rule writes its result into `out`, replacing what it held, and keeps
// out's storage: a pass over 100,000 rows reuses one piece of memory instead
// of allocating a name for each. The forms returning a text are for one name.

// before + name + after.
void addBeforeAfter(const QString &name, const QString &before, const QString &after, QString &out);

// Inserts text after the first `position` units of name (a negative position
// counts as 0; one beyond the end appends).
void insertAt(const QString &name, qint32 position, const QString &text, QString &out);

// Removes every occurrence of text, left to right without overlapping.
// An empty text leaves the name as it is.
void deleteText(const QString &name, const QString &text, QString &out);

// Removes up to `count` units (never more than 50) from the 1-based position
// `start` on; a start beyond the end leaves the name as it is.
void deleteSpan(const QString &name, qint32 start, qint32 count, QString &out);

// Replaces every occurrence of find, left to right without overlapping; the
// replacement is never searched again. An empty find leaves the name alone.
void replaceText(const QString &name, const QString &find, const QString &replacement,
                 QString &out);

// Unicode's simple (one-to-one) case mapping, UnicodeData.txt's fields 12
// and 13, for every code point: "ß" stays "ß", "İ" lower-cases to "i", and the
// length of the text never changes.
void toUpperSimple(const QString &text, QString &out);
void toLowerSimple(const QString &text, QString &out);

// A rule's result as a new text, for a single name:
// newText(rules::insertAt, name, 3, text).
template <typename Rule, typename... Args> QString newText(Rule rule, const Args &...args)
{
    QString out;
    rule(args..., out);
    return out;
}

} // namespace rules
