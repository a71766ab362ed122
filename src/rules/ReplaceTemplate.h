#pragma once

#include <QString>

#include <cstddef>
#include <functional>
#include <vector>

namespace rules {

// A replacement text read as ECMAScript's String.prototype.replace reads it: "$1".."$99" and
// "$<name>" put in a group, "$&" the match, "$`" and "$'" what comes before and after it, "$$"
// a dollar; anything else, a "$" that starts none of these included, stands for itself.
//
// Reading the text depends on the pattern (which groups it has), so it is parsed once per
// pattern and text, then expanded for every match of every name.
class ReplaceTemplate
{
public:
    // A group that took no part in a match has these offsets, as in PCRE2's offset vector.
    static constexpr std::size_t kUnset = ~std::size_t(0);
    // The number of the group with the given name; 0 or less when no group has it.
    using GroupNumber = std::function<int(const QString &name)>;

    // Reads `text` for a pattern of `groups` capture groups. `numberOf` is empty when the pattern
    // names no group, and then "$<" stands for itself.
    void parse(const QString &text, int groups, const GroupNumber &numberOf);
    // Whether `text` is the text parse() was last given.
    bool holds(const QString &text) const
    {
        return m_parsed && (text.isSharedWith(m_text) || text == m_text);
    }

    // Appends the expansion for one match in `subject`. `offsets` holds `pairs` pairs of start
    // and end offsets: the whole match's, then those of groups 1, 2, ...; a group past them
    // expands to nothing, like an unset one.
    void appendExpansion(QString &out, QStringView subject, const std::size_t *offsets,
                         int pairs) const;

private:
    struct Piece
    {
        enum Kind { Text, Group, Match, Before, After };
        Kind kind;
        qsizetype from = 0; // Text: range in the template
        qsizetype length = 0;
        int group = 0; // Group: capture number, 0 for "always empty"
    };

    void addText(qsizetype from, qsizetype length);

    QString m_text;
    std::vector<Piece> m_pieces;
    bool m_parsed = false;
};

// Inline: it runs for every match of every name in a preview.
inline void ReplaceTemplate::appendExpansion(QString &out, QStringView subject,
                                             const std::size_t *offsets, int pairs) const
{
    const auto matchStart = qsizetype(offsets[0]);
    const auto matchEnd = qsizetype(offsets[1]);
    for (const Piece &piece : m_pieces) {
        switch (piece.kind) {
        case Piece::Text:
            out += QStringView(m_text).mid(piece.from, piece.length);
            break;
        case Piece::Match:
            out += subject.mid(matchStart, matchEnd - matchStart);
            break;
        case Piece::Before:
            out += subject.left(matchStart);
            break;
        case Piece::After:
            out += subject.mid(matchEnd);
            break;
        case Piece::Group:
            if (piece.group > 0 && piece.group < pairs) {
                const std::size_t from = offsets[2 * piece.group];
                const std::size_t to = offsets[2 * piece.group + 1];
                if (from != kUnset && to >= from)
                    out += subject.mid(qsizetype(from), qsizetype(to - from));
            }
            break;
        }
    }
}

} // namespace rules
