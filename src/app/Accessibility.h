#pragma once

class QWidget;

// Names every control of the window after its caption, so screen readers
// and tests find "文本前添加" rather than "beforeText": buttons, check boxes
// and option buttons by their text, a text box or drop-down list by the
// caption before it in its frame, each label tied to that box as its buddy.
// Tab then walks each rule frame in the order its sentence reads.
void setUpAccessibility(QWidget *window);
