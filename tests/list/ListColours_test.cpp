#include "list/ListColours.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QPalette>

TEST(ListColours, TheHistoricColoursOnLightBasesAndReadableTintsOnDarkOnes)
{
    EXPECT_NEAR(contrastRatio(QColor(0, 0, 255), Qt::white), 8.59, 0.01); // WCAG's own figure

    const QColor historic[] = {QColor(0, 0, 255), QColor(0, 128, 128), QColor(255, 0, 0),
                               QColor(0, 0, 0)};
    // Base, text: a light grey still takes the historic colours; then black, Fusion's dark base,
    // a bluish one (where blue is hardest) and a grey just on the dark side, whose text colour
    // does not read on it, so a success falls back to a grey that does.
    const std::pair<QColor, QColor> palettes[] = {
        {QColor(180, 180, 180), Qt::black},
        {QColor(0, 0, 0), Qt::white},
        {QColor(42, 42, 42), Qt::white},
        {QColor(30, 30, 46), QColor(205, 214, 244)},
        {QColor(110, 110, 110), QColor(90, 90, 90)},
    };
    for (const auto &[base, text] : palettes) {
        QPalette palette;
        palette.setColor(QPalette::Base, base);
        palette.setColor(QPalette::Text, text);
        const ListColours colours = ListColours::forPalette(palette);
        const QColor shown[] = {colours.folder().color(), colours.preview().color(),
                                colours.failure().color(), colours.success().color()};
        for (int i = 0; i < 4; ++i) {
            const std::string what = (shown[i].name() + QStringLiteral(" on ") + base.name() +
                                      QStringLiteral(": %1:1").arg(contrastRatio(shown[i], base)))
                                         .toStdString();
            if (base == QColor(180, 180, 180)) {
                EXPECT_EQ(shown[i], historic[i]) << what;
                continue;
            }
            EXPECT_GE(contrastRatio(shown[i], base), 4.5) << what;
            if (i < 3) { // a tint of the same hue, not white: it still tells what the row is
                EXPECT_EQ(shown[i].hslHue(), historic[i].hslHue()) << what;
                EXPECT_GT(shown[i].hslSaturation(), 200) << what;
            }
        }
    }
}
