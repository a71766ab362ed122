#pragma once

#include <QStringList>

class QMimeData;

// The local files a drag carries, as the list takes them: in the file
// manager's order, a folder without its trailing "/", and none whose bytes
// would not survive decoding (that text would name another file, or none).
QStringList localPathsOf(const QMimeData *data);

// True when a drag carries at least one local file.
bool carriesFiles(const QMimeData *data);
