#pragma once

class QCoreApplication;

// Makes Qt's own texts (the buttons of message boxes, the folder picker, the
// context menu of a text box, --help) Simplified Chinese like the rest of the
// program, whatever the system's language. The translator belongs to `app`.
// Returns false when Qt's Chinese translation is not installed; Qt then
// speaks English and nothing else changes.
bool installQtChinese(QCoreApplication &app);
