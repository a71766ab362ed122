#pragma once

#include <QString>

// Hands a path to the desktop's opener (xdg-open, found through PATH), so a
// folder opens in the file manager and a file in its usual program. Runs
// detached; its outcome is not examined and never blocks the caller.
void OpenInFileManager(const QString &path);
