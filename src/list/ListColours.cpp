#include "list/ListColours.h"

#include <QColor>
#include <QPalette>

#include <algorithm>
#include <cmath>

namespace {

const QColor kBlue(0, 0, 255);
const QColor kTeal(0, 128, 128);
const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

// WCAG 2's threshold for normal text.
constexpr double kReadableContrast = 4.5;

double linear(int channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// A background is dark when white text stands out on it more than black.
bool isDark(const QColor &base)
{
    return contrastRatio(base, Qt::white) > contrastRatio(base, Qt::black);
}

// The colour with its hue and saturation, lightened just enough to reach a
// readable contrast on `base`; white if nothing short of it does. Lightness
// only grows and each channel grows with it, so the first step that reads
// well is the darkest, the one closest to the colour as it was.
QColor readableOn(const QColor &base, const QColor &colour)
{
    const int hue = colour.hslHue();
    const int saturation = colour.hslSaturation();
    for (int lightness = colour.lightness(); lightness <= 255; ++lightness) {
        // In the 8 bits a channel is shown with: that is what gets compared.
        const QColor rgb = QColor::fromHsl(hue, saturation, lightness).toRgb();
        const QColor shown(rgb.red(), rgb.green(), rgb.blue());
        if (contrastRatio(shown, base) >= kReadableContrast)
            return shown;
    }
    return QColor(Qt::white);
}

} // namespace

ListColours::ListColours() : m_folder(kBlue), m_preview(kTeal), m_failure(kRed), m_success(kBlack)
{}

ListColours ListColours::forPalette(const QPalette &palette)
{
    ListColours colours;
    const QColor base = palette.color(QPalette::Active, QPalette::Base);
    if (!isDark(base))
        return colours;
    colours.m_folder = QBrush(readableOn(base, kBlue));
    colours.m_preview = QBrush(readableOn(base, kTeal));
    colours.m_failure = QBrush(readableOn(base, kRed));
    // Black has no hue to keep: a success reads like any other text, in the
    // palette's own text colour where that is readable.
    const QColor text = palette.color(QPalette::Active, QPalette::Text);
    colours.m_success =
        QBrush(contrastRatio(text, base) >= kReadableContrast ? text : readableOn(base, kBlack));
    return colours;
}

bool ListColours::operator==(const ListColours &other) const
{
    return m_folder == other.m_folder && m_preview == other.m_preview &&
           m_failure == other.m_failure && m_success == other.m_success;
}

double relativeLuminance(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.red()) + 0.7152 * linear(rgb.green()) + 0.0722 * linear(rgb.blue());
}

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
