#include "list/ListColours.h"

#include <QColor>
#include <QPalette>
#include <QtTest>

class TestListColours : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theHistoricColoursOnLightBasesAndReadableTintsOnDarkOnes();
};

void TestListColours::theHistoricColoursOnLightBasesAndReadableTintsOnDarkOnes()
{
    QVERIFY(qAbs(contrastRatio(QColor(0, 0, 255), Qt::white) - 8.59) < 0.01); // WCAG's own figure

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
            const QByteArray what = (shown[i].name() + QStringLiteral(" on ") + base.name() +
                                     QStringLiteral(": %1:1").arg(contrastRatio(shown[i], base)))
                                        .toUtf8();
            if (base == QColor(180, 180, 180)) {
                QVERIFY2(shown[i] == historic[i], what.constData());
                continue;
            }
            QVERIFY2(contrastRatio(shown[i], base) >= 4.5, what.constData());
            if (i < 3) { // a tint of the same hue, not white: it still tells what the row is
                QVERIFY2(shown[i].hslHue() == historic[i].hslHue(), what.constData());
                QVERIFY2(shown[i].hslSaturation() > 200, what.constData());
            }
        }
    }
}

QTEST_MAIN(TestListColours)
#include "tst_ListColours.moc"
