#pragma once

#include <QBrush>

class QColor;
class QPalette;

// The text colours of the list: folders and names without an extension,
// previews, and the outcome of a rename. On a light background they are the
// program's historic blue, teal, red and black; on a dark one the same hues
// lightened until they read as well as body text should (a contrast of at
// least 4.5:1). The brushes are made once per palette, since the list asks
// for a colour every time it paints a cell.
class ListColours
{
public:
    // The colours for a light background.
    ListColours();
    // The colours for text painted on the palette's Base, the background of
    // a list view.
    static ListColours forPalette(const QPalette &palette);

    const QBrush &folder() const { return m_folder; }
    const QBrush &preview() const { return m_preview; }
    const QBrush &failure() const { return m_failure; }
    const QBrush &success() const { return m_success; }

    bool operator==(const ListColours &other) const;

private:
    QBrush m_folder;
    QBrush m_preview;
    QBrush m_failure;
    QBrush m_success;
};

// WCAG 2's relative luminance of a colour (0 black, 1 white) and the contrast
// ratio of two colours (1:1 to 21:1).
double relativeLuminance(const QColor &colour);
double contrastRatio(const QColor &a, const QColor &b);
