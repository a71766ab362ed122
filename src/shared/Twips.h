#pragma once

#include <QPaintDevice>
#include <QRect>

// Control geometry is designed in twips: 1440 per inch, so 15 per pixel at
// 96 dpi. Converting with the screen's logical dpi keeps the proportions on
// high-dpi screens.
class Twips
{
public:
    explicit Twips(const QPaintDevice *device) : m_dpi(device ? device->logicalDpiX() : 96) {}

    int toPixels(int twips) const { return qRound(double(twips) * m_dpi / 1440.0); }
    int toTwips(int pixels) const { return qRound(double(pixels) * 1440.0 / m_dpi); }
    QRect rect(int left, int top, int width, int height) const
    {
        return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
    }

private:
    int m_dpi;
};
