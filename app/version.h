// The version shown in the window title, read from version.txt beside the executable.
#ifndef QETO_VERSION_H
#define QETO_VERSION_H

#include <QString>

// Longest version taken from the file; a longer first line is cut here. Far above any real
// version, so only a damaged file is cut, and small enough that a huge one costs nothing.
constexpr int kMaxVersionLength = 4096;

// First line of applicationDirPath() + kVersionFile without its line end, at most
// kMaxVersionLength characters; empty when the file is missing or unreadable.
// Logs "version : " with the result.
QString getVersion();

// The same, from any file; used by getVersion() and by tests.
QString readVersionFile(const QString &path);

// "Qeto-Desk <version>", or kDefaultTitle when the version is empty.
QString windowTitleFor(const QString &version);

#endif  // QETO_VERSION_H
