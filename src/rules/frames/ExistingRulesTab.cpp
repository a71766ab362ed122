// The tab "已有规则": no frame; it opens the dialog that takes the names from
// a pasted list.
#include "rules/RuleFrame.h"

using namespace Qt::StringLiterals;

namespace ruleframes {

RuleFrame existingRulesTab()
{
    return {
        .tab = u"已有规则"_s,
        .toolTip =
            u"利用已有命名的规则命名，如已知 1 改a  2 改b  最适合的方法是复制Excel中的两列来命名"_s,
    };
}

} // namespace ruleframes
