#pragma once

#include "rules/RuleFrame.h"

#include <vector>

// Every tab of the rule band, in the order of the strip.
std::vector<RuleFrame> ruleFrames();
