#include "list/PlanMark.h"

namespace {

QString rowText(qint32 row)
{
    return QStringLiteral("第 %1 行").arg(row + 1);
}

QString badNameText(const PlanMark &mark)
{
    switch (static_cast<BadNameKind>(mark.detail)) {
    case BadNameKind::Separator:
        return QStringLiteral("新名称含有“/”，文件名里不能有路径分隔符");
    case BadNameKind::Nul:
        return QStringLiteral("新名称含有空字符（NUL）");
    case BadNameKind::HalfSurrogate:
        return QStringLiteral("新名称含有残缺的字符（半个代理对），无法写进磁盘");
    case BadNameKind::Control:
        return QStringLiteral("新名称含有控制字符 U+%1，原名称里没有")
            .arg(QString::number(mark.other, 16).toUpper().rightJustified(4, QLatin1Char('0')));
    case BadNameKind::Dots:
        return QStringLiteral("“.”和“..”不能用作文件名");
    }
    return QString();
}

} // namespace

QString planMarkToolTip(const PlanMark &mark)
{
    const QString fail = QStringLiteral("将失败：");
    switch (mark.reason) {
    case PlanReason::None:
        return QString();
    case PlanReason::BadName:
        return fail + badNameText(mark);
    case PlanReason::NameTooLong:
        return fail +
               QStringLiteral("新名称有 %1 字节（UTF-8），超过了 255 字节的上限").arg(mark.other);
    case PlanReason::SameTarget:
        return fail + rowText(mark.other) + QStringLiteral("已先改成同一个名称");
    case PlanReason::TargetExists:
        return fail + QStringLiteral("文件夹里已有同名的文件或文件夹，它不在本次更名之中");
    case PlanReason::TargetHeldBelow:
        return fail + QStringLiteral("同名的文件是") + rowText(mark.other) +
               QStringLiteral("的，那一行在本行之后才改名（更名从上到下逐行进行）");
    case PlanReason::TargetHeldStays:
        return fail + QStringLiteral("同名的文件是") + rowText(mark.other) +
               QStringLiteral("的，那一行不会改名");
    case PlanReason::SourceMissing:
        return fail + QStringLiteral("找不到这个文件，它可能已被移动、改名或删除");
    case PlanReason::SourceReplaced:
        return fail + QStringLiteral("这个位置现在是另一个文件，不是加入列表时的那一个");
    case PlanReason::SameFile:
        return fail + QStringLiteral("与") + rowText(mark.other) +
               QStringLiteral("是同一个文件，那一行会先把它改名");
    case PlanReason::LooksAlike:
        return QStringLiteral("注意：文件夹里已有一个看起来一样的名称（Unicode "
                              "规范化形式不同），改名后两个名称会显示得一模一样");
    }
    return QString();
}
