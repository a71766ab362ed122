#pragma once

#include <QString>

// The files the program writes of its own accord (the remembered folder, the
// exported list) may only be regular files where we put them. A symbolic
// link, a device, a FIFO or a folder in their place is never opened, written
// through or replaced: a link would have us overwrite what it points to, a
// device would become a plain file, and reading a FIFO blocks the window.

// True when nothing is at `path` yet or it is a regular file itself (not
// reached through a symbolic link at that name).
bool isOwnFileSpot(const QString &path);

// A program folder is no place for the user's files when it is one of the
// system's (under /usr, /opt, /bin, /sbin or /lib): run as root, an installed
// program could otherwise write a file there that no package owns.
bool isSystemFolder(const QString &folder);
