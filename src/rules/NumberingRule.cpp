#include "rules/NumberingRule.h"

#include "rules/PreviewLimit.h"

#include <sys/stat.h>

#include <QFile>

#include <algorithm>
#include <ctime>
#include <limits>
#include <utility>

namespace rules {

namespace {

// No file name is longer than this many bytes, so wider padding is useless.
constexpr qint32 kMaxDigits = 255;

std::optional<struct stat> statOf(const QString &fullPath)
{
    if (fullPath.isEmpty())
        return std::nullopt;
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(fullPath).constData(), &st) != 0)
        return std::nullopt;
    return st;
}

} // namespace

void appendCounter(QString &out, qint32 counter, bool pad, qint32 digits)
{
    // Runs once per "#" and row on every keystroke: the digits are written
    // in place, with no temporaries and no append per digit.
    const qint64 value = counter;
    quint64 magnitude = static_cast<quint64>(value < 0 ? -value : value);
    char16_t reversed[20];
    qsizetype count = 0;
    do {
        reversed[count++] = char16_t(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    const qsizetype width = std::max<qsizetype>(count, pad ? std::min(digits, kMaxDigits) : 0);
    const qsizetype start = out.size();
    out.resize(start + (value < 0 ? 1 : 0) + width);
    QChar *at = out.data() + start;
    if (value < 0)
        *at++ = u'-';
    for (qsizetype i = count; i < width; ++i)
        *at++ = u'0';
    while (count > 0)
        *at++ = QChar(reversed[--count]);
}

QString formatCounter(qint32 counter, bool pad, qint32 digits)
{
    QString text;
    appendCounter(text, counter, pad, digits);
    return text;
}

QString parentNameOf(const QString &fullPath)
{
    const qsizetype last = fullPath.lastIndexOf(u'/');
    if (last <= 0)
        return QString();
    const qsizetype previous = fullPath.lastIndexOf(u'/', last - 1);
    return fullPath.mid(previous + 1, last - previous - 1);
}

QString fileSizeText(const QString &fullPath)
{
    const std::optional<struct stat> st = statOf(fullPath);
    if (!st || S_ISDIR(st->st_mode))
        return QString();
    return QString::number(qint64(st->st_size));
}

QString modificationDateText(const QString &fullPath)
{
    const std::optional<struct stat> st = statOf(fullPath);
    if (!st)
        return QString();
    // localtime_r and fixed-width digits: this runs for every row of a large
    // list on each keystroke, where QDateTime's formatting costs several times
    // the stat call itself.
    std::tm local{};
    if (!::localtime_r(&st->st_mtime, &local))
        return QString();
    const int year = local.tm_year + 1900;
    if (year < 0 || year > 9999)
        return QString();
    const bool midnight = local.tm_hour == 0 && local.tm_min == 0 && local.tm_sec == 0;
    QString text(midnight ? 10 : 19, u'0');
    QChar *out = text.data();
    const auto put = [&out](int value, int width) {
        for (int i = width - 1; i >= 0; --i, value /= 10)
            out[i] = QChar(u'0' + value % 10);
        out += width;
    };
    const auto sep = [&out](char16_t c) { *out++ = QChar(c); };
    put(year, 4);
    sep(u'-');
    put(local.tm_mon + 1, 2);
    sep(u'-');
    put(local.tm_mday, 2);
    if (!midnight) {
        sep(u' ');
        put(local.tm_hour, 2);
        sep(u':');
        put(local.tm_min, 2);
        sep(u':');
        put(std::min(local.tm_sec, 59), 2); // a leap second shows as :59
    }
    return text;
}

namespace {

// UTF-16 tags: replacing with Latin-1 ones would convert them for every row.
const QString parentTag = QStringLiteral("&Parent");
const QString fileTag = QStringLiteral("&File");
const QString sizeTag = QStringLiteral("&Size");
const QString dateTag = QStringLiteral("&Date");

} // namespace

namespace {

// A text being filled, possibly cut short: its first `exact` units are those
// of the whole, uncut text (all of them while nothing was cut).
struct PartText
{
    QString text;
    qsizetype exact = 0;
    bool whole = true;
};

// Replaces every `tag` left to right, as QString::replace does, and works out
// how much of the result is still exact: an occurrence that starts at least a
// tag's length before the end of the exact part is found in the uncut text
// too, anything after it may not be. Only the exact part is kept.
void replaceIn(PartText &part, const QString &tag, const QString &value)
{
    if (part.whole) {
        part.text.replace(tag, value);
        part.exact = part.text.size();
        return;
    }
    const QString &text = part.text;
    const qsizetype safe = std::max<qsizetype>(0, part.exact - (tag.size() - 1));
    QString out;
    qsizetype copied = 0;
    for (qsizetype at = text.indexOf(tag); at >= 0 && at < safe; at = text.indexOf(tag, copied)) {
        out.append(QStringView(text).mid(copied, at - copied)).append(value);
        copied = at + tag.size();
    }
    if (copied < safe)
        out.append(QStringView(text).mid(copied, safe - copied));
    part.text = out;
    part.exact = out.size();
}

} // namespace

QString expandTemplate(const QString &tmpl, const QString &counterText, const QString &base,
                       const QString &fullPath)
{
    const bool parent = tmpl.contains(parentTag);
    const bool size = tmpl.contains(sizeTag);
    const bool date = tmpl.contains(dateTag);
    const QString parentText = parent ? parentNameOf(fullPath) : QString();
    const QString sizeText = size ? fileSizeText(fullPath) : QString();
    const QString dateText = date ? modificationDateText(fullPath) : QString();
    // 5,000 "#" of 255 digits each would make a name of over a million units
    // only to cut it: the counters are filled only some way past the preview
    // limit, and further only when the tags' texts, shorter than the tags,
    // leave fewer exact units than the limit.
    for (qsizetype room = 2 * kMaxPreviewLength;; room *= 2) {
        PartText part;
        for (qsizetype i = 0; i < tmpl.size(); ++i) {
            if (part.text.size() >= room) {
                part.whole = false;
                break;
            }
            if (tmpl.at(i) == u'#')
                part.text.append(counterText);
            else
                part.text.append(tmpl.at(i));
        }
        part.exact = part.text.size();
        if (parent)
            replaceIn(part, parentTag, parentText);
        if (part.text.contains(fileTag))
            replaceIn(part, fileTag, base);
        if (size)
            replaceIn(part, sizeTag, sizeText);
        if (date)
            replaceIn(part, dateTag, dateText);
        if (part.whole || part.exact >= kMaxPreviewLength) {
            capPreview(part.text);
            return part.text;
        }
    }
}

Numbering::Numbering(NumberingSettings settings)
    : m_settings(std::move(settings)), m_counter(m_settings.start)
{
    if (m_settings.tmpl.isEmpty())
        m_settings.tmpl = QStringLiteral("#");
    m_counterAndFileOnly = !m_settings.tmpl.contains(parentTag) &&
                           !m_settings.tmpl.contains(sizeTag) && !m_settings.tmpl.contains(dateTag);
    if (!m_counterAndFileOnly)
        return;
    // The same as replacing "#" and then "&File" over the whole text: digits
    // can neither make nor break a "&File", and "&File" holds no "#".
    const QStringView tmpl = m_settings.tmpl;
    for (qsizetype i = 0; i < tmpl.size();) {
        if (tmpl[i] == u'#') {
            m_pieces.push_back({Piece::Counter});
            ++m_counters;
            ++i;
        } else if (tmpl.mid(i).startsWith(fileTag)) {
            m_pieces.push_back({Piece::File});
            ++m_files;
            i += fileTag.size();
        } else {
            if (m_pieces.empty() || m_pieces.back().kind != Piece::Text)
                m_pieces.push_back({Piece::Text, i, 0});
            ++m_pieces.back().length;
            ++m_textUnits;
            ++i;
        }
    }
}

bool Numbering::isRunnable() const
{
    return m_settings.start >= 0 && m_settings.increment >= 1;
}

bool Numbering::fitsRows(qint64 rows) const
{
    if (rows < 2)
        return true;
    // The last counter is start + increment * (rows - 1); the 64-bit checks
    // keep a list of any length from wrapping the test itself.
    qint64 span = 0;
    qint64 last = 0;
    if (__builtin_mul_overflow(qint64(m_settings.increment), rows - 1, &span) ||
        __builtin_add_overflow(qint64(m_settings.start), span, &last))
        return false;
    return last >= std::numeric_limits<qint32>::min() && last <= std::numeric_limits<qint32>::max();
}

bool Numbering::next(const QString &base, const QString &fullPath, QString &out)
{
    if (!isRunnable() || m_counter > std::numeric_limits<qint32>::max())
        return false;
    const auto counter = qint32(m_counter);
    m_counter += m_settings.increment;
    if (!m_counterAndFileOnly) {
        out = expandTemplate(m_settings.tmpl,
                             formatCounter(counter, m_settings.pad, m_settings.digits), base,
                             fullPath);
        return true;
    }
    // The length is known before a unit is written, so the pieces are copied
    // into place: a template of thousands of "#" costs a copy per "#", and
    // stops at the preview limit.
    m_counterText.resize(0);
    appendCounter(m_counterText, counter, m_settings.pad, m_settings.digits);
    const qsizetype whole = m_textUnits + m_counters * m_counterText.size() + m_files * base.size();
    out.resize(std::min(whole, kMaxPreviewLength));
    QChar *at = out.data();
    QChar *const end = at + out.size();
    const auto put = [&at, end](const QChar *from, qsizetype length) {
        const qsizetype n = std::min<qsizetype>(length, end - at);
        std::copy_n(from, n, at);
        at += n;
    };
    for (const Piece &piece : m_pieces) {
        if (at == end)
            break;
        if (piece.kind == Piece::Counter)
            put(m_counterText.constData(), m_counterText.size());
        else if (piece.kind == Piece::File)
            put(base.constData(), base.size());
        else
            put(m_settings.tmpl.constData() + piece.from, piece.length);
    }
    if (whole > kMaxPreviewLength && out.back().isHighSurrogate())
        out.chop(1); // never half a character at the cut
    return true;
}

std::optional<QString> Numbering::next(const QString &base, const QString &fullPath)
{
    QString out;
    if (!next(base, fullPath, out))
        return std::nullopt;
    return out;
}

} // namespace rules
