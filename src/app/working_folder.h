#pragma once
// The working folder is where the program looks for its help pages, ".sim" files and
// definition files. An installed Kelvo carries a copy of them in share/kelvo beside its
// bin folder; a new working folder is seeded from there, never overwriting a file the
// user already has.

#include <QDir>
#include <QString>
#include <QStringList>

namespace kelvo {

// share/kelvo beside the folder the program runs from, or empty when there is none (a
// build folder, or a copy of the program on its own).
QString installedDataFolder();

// True when the folder holds no definition file or no help page: a folder the program
// cannot show help from, or cannot open platform-5 sensors in.
bool lacksProgramFiles(const QDir& folder);

// The files of `from` that `to` lacks, by name; none when `from` does not exist.
QStringList missingFiles(const QDir& from, const QDir& to);

struct SeedResult {
    QStringList copied;
    QStringList failed;  // each "name: reason"
};

// Copies the files of `from` that `to` lacks. A file that cannot be copied leaves no
// partial file behind and does not stop the others.
SeedResult seedWorkingFolder(const QDir& from, const QDir& to);

}  // namespace kelvo
