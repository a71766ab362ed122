#include "rules/ReadBoxNumber.h"

#include <limits>

namespace {

constexpr qint32 kMin = std::numeric_limits<qint32>::min();
constexpr qint32 kMax = std::numeric_limits<qint32>::max();

// Walks the text while skipping the characters a box ignores, so the number
// is read in one pass without building a cleaned copy.
class Cursor
{
public:
    explicit Cursor(const QString &text) : m_data(text.constData()), m_size(text.size())
    {
        skipBlanks();
    }

    bool atEnd() const { return m_pos >= m_size; }
    char16_t peek() const { return atEnd() ? u'\0' : m_data[m_pos].unicode(); }
    qsizetype position() const { return m_pos; }
    void rewind(qsizetype pos) { m_pos = pos; }

    void advance()
    {
        ++m_pos;
        skipBlanks();
    }

    bool take(char16_t c)
    {
        if (peek() != c)
            return false;
        advance();
        return true;
    }

    bool takeEither(char16_t upper) { return take(upper) || take(char16_t(upper - u'A' + u'a')); }

private:
    void skipBlanks()
    {
        while (m_pos < m_size) {
            const char16_t c = m_data[m_pos].unicode();
            if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n')
                break;
            ++m_pos;
        }
    }

    const QChar *m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
};

bool isDecimalDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

int digitValue(char16_t c, int radix)
{
    int value = radix;
    if (c >= u'0' && c <= u'9')
        value = c - u'0';
    else if (c >= u'a' && c <= u'f')
        value = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
        value = c - u'A' + 10;
    return value < radix ? value : -1;
}

// "&H" and "&O" numbers: up to 32 bits they are two's complement, so
// "&HFFFFFFFF" is -1 as in the classic dialect; anything wider saturates.
qint32 readRadix(Cursor &cursor, int radix)
{
    quint64 value = 0;
    bool tooWide = false;
    for (int digit = digitValue(cursor.peek(), radix); digit >= 0;
         digit = digitValue(cursor.peek(), radix)) {
        value = value * quint64(radix) + quint64(digit);
        if (value > 0xFFFFFFFFull) {
            tooWide = true;
            value = 0; // keep consuming without overflowing
        }
        cursor.advance();
    }
    if (tooWide)
        return kMax;
    return qint32(quint32(value));
}

// Significant digits of a decimal number and where its point stands: the
// value is 0.d1d2d3... times ten to the power pointPos. Leading zeros are
// dropped; only the digits that can still matter for rounding are kept.
struct DecimalDigits
{
    // Ten digits are enough for any 32-bit magnitude; one more to round with,
    // and a flag for whether anything non-zero follows (to break a tie).
    static constexpr int kKept = 12;
    char digits[kKept] = {};
    int count = 0;
    bool nonZeroBeyond = false;
    qint64 pointPos = 0;
    bool any = false; // at least one digit was read

    void push(char16_t c, bool beforePoint)
    {
        any = true;
        const int d = c - u'0';
        if (count == 0 && d == 0) {
            if (!beforePoint)
                --pointPos; // 0.05 = 0.5e-1
            return;
        }
        if (beforePoint)
            ++pointPos;
        if (count < kKept)
            digits[count++] = char(d);
        else if (d != 0)
            nonZeroBeyond = true;
    }
};

// Rounds |0.digits × 10^pointPos| half to even and applies the sign,
// saturating outside the 32-bit range.
qint32 roundToInt(const DecimalDigits &number, qint64 exponent, bool negative)
{
    if (number.count == 0)
        return 0;
    const qint64 pointPos = number.pointPos + exponent;
    if (pointPos > 10) // at least 10^10
        return negative ? kMin : kMax;

    qint64 whole = 0;
    for (qint64 i = 0; i < pointPos; ++i)
        whole = whole * 10 + (i < number.count ? number.digits[i] : 0);

    // The first dropped digit decides, the rest only break a tie.
    int next = 0;
    bool restNonZero = number.nonZeroBeyond;
    if (pointPos >= 0) {
        if (pointPos < number.count)
            next = number.digits[pointPos];
        for (qint64 i = pointPos + 1; i < number.count; ++i)
            restNonZero = restNonZero || number.digits[i] != 0;
    } else {
        restNonZero = true; // 0.0...d: below one half
    }
    if (next > 5 || (next == 5 && (restNonZero || whole % 2 == 1)))
        ++whole;

    if (negative)
        whole = -whole;
    if (whole > kMax)
        return kMax;
    if (whole < kMin)
        return kMin;
    return qint32(whole);
}

// Reads an exponent's digits, saturating far beyond any useful size.
qint64 readExponentDigits(Cursor &cursor)
{
    qint64 value = 0;
    while (isDecimalDigit(cursor.peek())) {
        if (value < 1'000'000'000)
            value = value * 10 + (cursor.peek() - u'0');
        cursor.advance();
    }
    return value;
}

qint32 readDecimal(Cursor &cursor)
{
    bool negative = false;
    if (cursor.take(u'-'))
        negative = true;
    else
        cursor.take(u'+');

    DecimalDigits number;
    while (isDecimalDigit(cursor.peek())) {
        number.push(cursor.peek(), true);
        cursor.advance();
    }
    if (cursor.take(u'.')) {
        while (isDecimalDigit(cursor.peek())) {
            number.push(cursor.peek(), false);
            cursor.advance();
        }
    }
    if (!number.any)
        return 0;

    // An exponent counts only when digits follow its letter and sign.
    qint64 exponent = 0;
    const qsizetype beforeExponent = cursor.position();
    if (cursor.takeEither(u'E') || cursor.takeEither(u'D')) {
        bool negativeExponent = false;
        if (cursor.take(u'-'))
            negativeExponent = true;
        else
            cursor.take(u'+');
        if (isDecimalDigit(cursor.peek())) {
            exponent = readExponentDigits(cursor);
            if (negativeExponent)
                exponent = -exponent;
        } else {
            cursor.rewind(beforeExponent);
        }
    }
    return roundToInt(number, exponent, negative);
}

} // namespace

qint32 ReadBoxNumber(const QString &text)
{
    Cursor cursor(text);
    if (cursor.take(u'&')) {
        if (cursor.takeEither(u'H'))
            return readRadix(cursor, 16);
        if (cursor.takeEither(u'O'))
            return readRadix(cursor, 8);
        return 0;
    }
    return readDecimal(cursor);
}
