#include "rules/NumberingRule.h"

#include <sys/stat.h>

#include <QDateTime>
#include <QFile>

#include <algorithm>
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

QString formatCounter(qint32 counter, bool pad, qint32 digits)
{
    const qint64 value = counter;
    QString text = QString::number(value < 0 ? -value : value);
    const qsizetype width = pad ? std::min(digits, kMaxDigits) : 0;
    if (text.size() < width)
        text.prepend(QString(width - text.size(), u'0'));
    if (value < 0)
        text.prepend(u'-');
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
    const QDateTime modified = QDateTime::fromSecsSinceEpoch(st->st_mtime);
    if (!modified.isValid())
        return QString();
    if (modified.time() == QTime(0, 0))
        return modified.toString(QStringLiteral("yyyy-MM-dd"));
    return modified.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString expandTemplate(const QString &tmpl, const QString &counterText, const QString &base,
                       const QString &fullPath)
{
    static constexpr QLatin1String parentTag("&Parent");
    static constexpr QLatin1String fileTag("&File");
    static constexpr QLatin1String sizeTag("&Size");
    static constexpr QLatin1String dateTag("&Date");

    QString result = tmpl;
    result.replace(u'#', counterText);
    if (tmpl.contains(parentTag))
        result.replace(parentTag, parentNameOf(fullPath));
    if (result.contains(fileTag))
        result.replace(fileTag, base);
    if (tmpl.contains(sizeTag))
        result.replace(sizeTag, fileSizeText(fullPath));
    if (tmpl.contains(dateTag))
        result.replace(dateTag, modificationDateText(fullPath));
    return result;
}

Numbering::Numbering(NumberingSettings settings)
    : m_settings(std::move(settings)), m_counter(m_settings.start)
{
    if (m_settings.tmpl.isEmpty())
        m_settings.tmpl = QStringLiteral("#");
}

bool Numbering::isRunnable() const
{
    return m_settings.start >= 0 && m_settings.increment >= 1;
}

std::optional<QString> Numbering::next(const QString &base, const QString &fullPath)
{
    if (!isRunnable() || m_counter > std::numeric_limits<qint32>::max())
        return std::nullopt;
    const QString counterText = formatCounter(qint32(m_counter), m_settings.pad, m_settings.digits);
    m_counter += m_settings.increment;
    return expandTemplate(m_settings.tmpl, counterText, base, fullPath);
}

} // namespace rules
