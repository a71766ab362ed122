#pragma once

#include <QString>

// The text transformations behind the add, delete, replace and case rules.
// Positions and lengths count UTF-16 code units, position 1 being the first.
// No cut ever falls between the two halves of a surrogate pair: such a cut
// moves to the end of the pair, so no result holds a lone half.
namespace rules {

// before + name + after.
QString addBeforeAfter(const QString &name, const QString &before, const QString &after);

// Inserts text after the first `position` units of name (a negative position
// counts as 0; one beyond the end appends).
QString insertAt(const QString &name, qint32 position, const QString &text);

// Removes every occurrence of text, left to right without overlapping.
// An empty text leaves the name as it is.
QString deleteText(const QString &name, const QString &text);

// Removes up to `count` units (never more than 50) from the 1-based position
// `start` on; a start beyond the end leaves the name as it is.
QString deleteSpan(const QString &name, qint32 start, qint32 count);

// Replaces every occurrence of find, left to right without overlapping; the
// replacement is never searched again. An empty find leaves the name alone.
QString replaceText(const QString &name, const QString &find, const QString &replacement);

// One-to-one case mapping per character: "ß" stays "ß", and the length of the
// text never changes.
QString toUpperSimple(const QString &text);
QString toLowerSimple(const QString &text);

} // namespace rules
