#pragma once

#include <QString>
#include <QStringView>

// No file name holds more than 255 bytes, so no rule builds a preview much
// longer than that: a template, replacement or paste that would make names of
// megabytes costs neither the time nor the memory to build them. A preview
// cut at the limit is still far too long to be renamed, and the rename says
// so; what the list shows of it is what the rule gave.
namespace rules {

// Four times the most a name can hold in UTF-16 units (255, all ASCII).
constexpr qsizetype kMaxPreviewLength = 1024;

// Cuts `text` to the limit, never between the two halves of a surrogate pair.
inline void capPreview(QString &text)
{
    if (text.size() <= kMaxPreviewLength)
        return;
    const bool splitsPair = text.at(kMaxPreviewLength - 1).isHighSurrogate();
    text.truncate(kMaxPreviewLength - (splitsPair ? 1 : 0));
}

// Appends as much of `piece` as keeps `out` within the limit; false once
// `out` is full, when building on is useless.
inline bool appendCapped(QString &out, QStringView piece)
{
    const qsizetype room = kMaxPreviewLength - out.size();
    if (piece.size() < room) {
        out.append(piece);
        return true;
    }
    out.append(piece.left(room > 0 ? room : 0));
    capPreview(out);
    return false;
}

} // namespace rules
