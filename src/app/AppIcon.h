#pragma once

#include <QIcon>

// The pencil of the rename button, also the program's window icon.
QIcon pencilIcon();
