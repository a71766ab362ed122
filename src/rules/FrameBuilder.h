#pragma once

class QGroupBox;
class QWidget;
struct RuleFrame;

// Builds the frame a tab declares, with its controls in the order its
// sentence reads: each box named for screen readers after its declared
// caption, that caption its buddy when it stands right before it, and the
// boxes declared so emptied by a double click.
QGroupBox *buildRuleFrame(const RuleFrame &declared, QWidget *band);

// Start-up: adds the declared items to the frame's drop-down lists, without
// running any rule and without picking an item.
void fillRuleFrameLists(const RuleFrame &declared, QGroupBox *frame);
