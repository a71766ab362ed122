#pragma once

#include <QIcon>

// A small yellow warning triangle with an exclamation mark.
QIcon drawnWarningIcon();
