#include "list/ListColours.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QPalette>

namespace {

QPalette withBase(const QColor &base, const QColor &text)
{
    QPalette palette;
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::Text, text);
    return palette;
}

QString described(const QColor &colour, const QColor &base)
{
    return QStringLiteral("%1 on %2: %3:1")
        .arg(colour.name(), base.name())
        .arg(contrastRatio(colour, base), 0, 'f', 2);
}

} // namespace

TEST(ListColours, TheHistoricColoursOnLightBasesAndReadableTintsOnDarkOnes)
{
    // WCAG's own end points.
    EXPECT_DOUBLE_EQ(contrastRatio(Qt::black, Qt::white), 21.0);
    EXPECT_NEAR(contrastRatio(QColor(0, 0, 255), Qt::white), 8.59, 0.01);

    for (const QColor base : {QColor(Qt::white), QColor(240, 240, 240), QColor(180, 180, 180)}) {
        const ListColours colours = ListColours::forPalette(withBase(base, Qt::black));
        EXPECT_EQ(colours.folder().color(), QColor(0, 0, 255)) << qPrintable(base.name());
        EXPECT_EQ(colours.preview().color(), QColor(0, 128, 128)) << qPrintable(base.name());
        EXPECT_EQ(colours.failure().color(), QColor(255, 0, 0)) << qPrintable(base.name());
        EXPECT_EQ(colours.success().color(), QColor(0, 0, 0)) << qPrintable(base.name());
    }

    // Black, Fusion's dark base, a bluish one (where blue text is hardest)
    // and a grey just on the dark side; the last text colour does not read
    // on its base, so success falls back to a grey that does.
    const std::pair<QColor, QColor> darkPalettes[] = {
        {QColor(0, 0, 0), QColor(Qt::white)},
        {QColor(42, 42, 42), QColor(Qt::white)},
        {QColor(30, 30, 46), QColor(205, 214, 244)},
        {QColor(110, 110, 110), QColor(90, 90, 90)},
    };
    for (const auto &[base, text] : darkPalettes) {
        const ListColours colours = ListColours::forPalette(withBase(base, text));
        const QColor hues[] = {QColor(0, 0, 255), QColor(0, 128, 128), QColor(255, 0, 0)};
        const QColor tints[] = {colours.folder().color(), colours.preview().color(),
                                colours.failure().color()};
        for (int i = 0; i < 3; ++i) {
            EXPECT_GE(contrastRatio(tints[i], base), 4.5) << qPrintable(described(tints[i], base));
            EXPECT_EQ(tints[i].hslHue(), hues[i].hslHue()) << qPrintable(described(tints[i], base));
            // A tint, not white: it still says folder, preview or failure.
            EXPECT_GT(tints[i].hslSaturation(), 200) << qPrintable(described(tints[i], base));
        }
        const QColor success = colours.success().color();
        EXPECT_GE(contrastRatio(success, base), 4.5) << qPrintable(described(success, base));
    }
}
