#pragma once

#include <QString>
#include <QtGlobal>

// What the rename plan predicts for a row, as far as the list shows it: a
// failure with its reason, or a note about a name that will work but may
// confuse. Rows predicted to rename or to stay as they are carry no mark.
enum class PlanReason : quint8 {
    None,
    BadName,         // detail: which BadNameKind
    NameTooLong,     // other: the name's length in UTF-8 bytes
    SameTarget,      // other: the row above that takes the same name first
    TargetExists,    // an entry that is not in the list holds the name
    TargetHeldBelow, // other: the row whose entry holds the name, renamed only later
    TargetHeldStays, // other: the row whose entry holds the name and stays
    SourceMissing,   // nothing is at the row's path any more
    SourceReplaced,  // another entry than the row's is at its path
    SameFile,        // other: the row above that renames this very entry first
    LooksAlike,      // a note: the new name differs from one in its folder only in normalisation
};

enum class BadNameKind : quint8 { Separator, Nul, HalfSurrogate, Control, Dots };

struct PlanMark
{
    PlanReason reason = PlanReason::None;
    quint8 detail = 0;
    qint32 other = -1;

    bool isFailure() const
    {
        return reason != PlanReason::None && reason != PlanReason::LooksAlike;
    }
    bool isNote() const { return reason == PlanReason::LooksAlike; }
    friend bool operator==(const PlanMark &, const PlanMark &) = default;
};

// The preview cell's tooltip for a mark: "将失败：…" for a failure, naming
// another row by its display position, "注意：…" for a note, "" for none.
QString planMarkToolTip(const PlanMark &mark);
