#include "app/working_folder.h"

#include <QCoreApplication>
#include <QFile>

#include "files/file_writer.h"

namespace kelvo {

QString installedDataFolder() {
    const QDir dir(QCoreApplication::applicationDirPath() + "/../share/kelvo");
    return dir.exists() ? dir.canonicalPath() : QString();
}

bool lacksProgramFiles(const QDir& folder) {
    const auto none = [&folder](const QString& pattern) {
        // Name filters ignore case: the names come from Windows, where "def00103.pdt" and
        // "DEF00103.PDT" are one file.
        return folder.entryList({pattern}, QDir::Files).isEmpty();
    };
    return none("DEF*.PDT") || none("help*.html");
}

QStringList missingFiles(const QDir& from, const QDir& to) {
    if (!from.exists()) return {};
    QStringList missing;
    for (const QString& name : from.entryList(QDir::Files, QDir::Name)) {
        if (!to.exists(name)) missing << name;
    }
    return missing;
}

SeedResult seedWorkingFolder(const QDir& from, const QDir& to) {
    SeedResult result;
    for (const QString& name : missingFiles(from, to)) {
        QFile source(from.filePath(name));
        if (!source.open(QIODevice::ReadOnly)) {
            result.failed << name + ": " + source.errorString();
            continue;
        }
        const QByteArray data = source.readAll();
        std::string error;
        // Never replaces a file that appeared meanwhile: that one is the user's.
        if (WriteNewFile(to.filePath(name).toStdString(), Bytes(data.begin(), data.end()), error)) {
            result.copied << name;
        } else {
            result.failed << name + ": " + QString::fromStdString(error);
        }
    }
    return result;
}

}  // namespace kelvo
