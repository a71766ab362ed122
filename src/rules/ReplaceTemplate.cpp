#include "rules/ReplaceTemplate.h"

namespace rules {

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

// Runs of literal text, "$$" included, become one piece, so that a match appends them at once.
void ReplaceTemplate::addText(qsizetype from, qsizetype length)
{
    if (!m_pieces.empty() && m_pieces.back().kind == Piece::Text &&
        m_pieces.back().from + m_pieces.back().length == from)
        m_pieces.back().length += length;
    else
        m_pieces.push_back({Piece::Text, from, length});
}

// ECMAScript's GetSubstitution, with the pattern's groups looked up once.
void ReplaceTemplate::parse(const QString &text, int groups, const GroupNumber &numberOf)
{
    m_text = text;
    m_parsed = true;
    m_pieces.clear();
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        if (text[i] != u'$' || i + 1 >= n) {
            addText(i, 1);
            ++i;
            continue;
        }
        const QChar c = text[i + 1];
        if (c == u'$') {
            addText(i + 1, 1);
            i += 2;
        } else if (c == u'&') {
            m_pieces.push_back({Piece::Match});
            i += 2;
        } else if (c == u'`') {
            m_pieces.push_back({Piece::Before});
            i += 2;
        } else if (c == u'\'') {
            m_pieces.push_back({Piece::After});
            i += 2;
        } else if (isDigit(c)) {
            // Two digits when they name a group, else one: "$10" is group 1 and a '0' when the
            // pattern has fewer than ten groups.
            int digits = isDigit(i + 2 < n ? text[i + 2] : QChar()) ? 2 : 1;
            int index = QStringView(text).mid(i + 1, digits).toInt();
            if (index > groups && digits == 2) {
                digits = 1;
                index = c.unicode() - u'0';
            }
            if (index >= 1 && index <= groups)
                m_pieces.push_back({Piece::Group, 0, 0, index});
            else
                addText(i, 1 + digits);
            i += 1 + digits;
        } else if (c == u'<' && numberOf) {
            const qsizetype close = text.indexOf(u'>', i + 2);
            if (close < 0) {
                addText(i, 2);
                i += 2;
                continue;
            }
            const int number = numberOf(text.mid(i + 2, close - i - 2));
            // An unknown name expands to nothing, like an unset group.
            m_pieces.push_back({Piece::Group, 0, 0, number > 0 ? number : 0});
            i = close + 1;
        } else {
            addText(i, 1);
            ++i;
        }
    }
}

} // namespace rules
