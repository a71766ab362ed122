#pragma once

#include <QString>

#include <optional>
#include <vector>

// The numbering rule: names built from a template with a running counter and
// data of the entry itself ("#", "&Parent", "&File", "&Size", "&Date").
namespace rules {

struct NumberingSettings
{
    qint32 start = 0;
    qint32 increment = 0;
    qint32 digits = 0;
    bool pad = false;
    QString tmpl; // never empty when used: the caller substitutes "#"
};

// The counter in decimal, left-padded with zeros to `digits` when pad is on.
// No name is longer than 255, so neither is the padding; digits <= 0 means no
// padding, and a wider number is never cut.
QString formatCounter(qint32 counter, bool pad, qint32 digits);
void appendCounter(QString &out, qint32 counter, bool pad, qint32 digits);

// Name of the folder holding the entry: the second-to-last component of the
// path split at "/"; "" for an entry directly in "/" or a path without "/".
QString parentNameOf(const QString &fullPath);

// Size in bytes as a decimal number; "" for a folder or a missing entry.
QString fileSizeText(const QString &fullPath);

// Local modification time as "yyyy-MM-dd HH:mm:ss", or "yyyy-MM-dd" alone at
// exactly midnight; "" for a missing entry.
QString modificationDateText(const QString &fullPath);

// Fills the template for one entry. Each placeholder is replaced over the
// whole text built so far, in the order "#", "&Parent", "&File", "&Size",
// "&Date", so a "#" in a name survives while "&Size" in a name is replaced
// when the template asks for the size. Size and date are read from disk only
// when the template contains them. The result stops at the preview limit.
QString expandTemplate(const QString &tmpl, const QString &counterText, const QString &base,
                       const QString &fullPath);

// One run's counter over the checked rows, in list order.
class Numbering
{
public:
    explicit Numbering(NumberingSettings settings);

    // False when start < 0 or increment < 1: the run must change nothing.
    bool isRunnable() const;

    // True when numbering `rows` rows keeps every counter inside the 32-bit
    // range. A run that fails this must number no row: stopping halfway
    // would leave the later rows with the previews of an earlier rule, which
    // a rename would then carry out.
    bool fitsRows(qint64 rows) const;

    // Writes the preview for the next checked row into `out` (its storage
    // reused); then the counter advances. False, with `out` untouched, once the
    // counter has left the 32-bit range, rather than wrapping to negative
    // numbers; callers check fitsRows first so that this never happens halfway.
    bool next(const QString &base, const QString &fullPath, QString &out);
    std::optional<QString> next(const QString &base, const QString &fullPath);

private:
    NumberingSettings m_settings;
    qint64 m_counter;
    // The template holds no tag but "#" and "&File": it is filled in one
    // pass from its pieces, without building the texts of the other tags.
    bool m_counterAndFileOnly = false;
    struct Piece
    {
        enum Kind { Text, Counter, File } kind;
        qsizetype from = 0; // Text: where in the template, and how long
        qsizetype length = 0;
    };
    std::vector<Piece> m_pieces;
    qsizetype m_textUnits = 0;
    qsizetype m_counters = 0;
    qsizetype m_files = 0;
    QString m_counterText; // this row's counter, written once per row
};

} // namespace rules
