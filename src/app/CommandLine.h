#pragma once

#include <QByteArrayList>
#include <QDir>
#include <QStringList>

// The paths named on the command line (or passed by a launcher's drop), made
// absolute against the working folder as a file manager's drop gives them.
struct LaunchPaths
{
    QStringList paths;   // existing files and folders, in the given order
    QStringList missing; // arguments that name nothing on disk
};

// Turns positional arguments into launch paths. "file://" URLs are taken as
// the local path they name; empty arguments are ignored.
LaunchPaths launchPathsFrom(const QStringList &arguments, const QDir &workingDir);

// Decodes argv as file names. An argument whose bytes do not survive the
// round trip would name another file, or none, once turned back into bytes:
// it is left out and put into `undecodable`. The program name is always kept.
QStringList decodeArguments(int argc, const char *const *argv, QByteArrayList &undecodable);
