#include "rules/RuleFrames.h"

// Each tab is declared in its own unit under rules/frames/.
namespace ruleframes {
RuleFrame addFrame();
RuleFrame deleteFrame();
RuleFrame replaceFrame();
RuleFrame numberingFrame();
RuleFrame regexFrame();
RuleFrame wholeFrame();
RuleFrame existingRulesTab();
} // namespace ruleframes

std::vector<RuleFrame> ruleFrames()
{
    using namespace ruleframes;
    return {addFrame(),   deleteFrame(), replaceFrame(),    numberingFrame(),
            regexFrame(), wholeFrame(),  existingRulesTab()};
}
