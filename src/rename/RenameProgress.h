#pragma once

#include "rename/RenameBatch.h"

class QLabel;

// "正在更名 i/n" in the status label while a rename or undo batch runs.
ProgressFunction renamingProgressIn(QLabel *status);
