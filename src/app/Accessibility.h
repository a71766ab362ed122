#pragma once

class QWidget;

// Names the buttons, check boxes and option buttons of the window after
// their text, so screen readers and tests find "文件名全部大写" rather than
// "整体Op1" (the rule frames name their boxes after the captions they
// declare). Tab then walks each frame in the order its sentence reads.
void setUpAccessibility(QWidget *window);
