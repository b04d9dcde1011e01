#pragma once
// A working folder and a preferences store of the test's own, so that no test touches the
// user's files or settings, and a start-up wired to the test Context.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "app/start_up.h"
#include "support/test_context.h"

namespace kelvo::test {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(workDir.isValid());
        ASSERT_TRUE(QDir(workDir.path()).mkpath("config"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           workDir.filePath("config"));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, workDir.filePath("config"));
        previousDir = QDir::currentPath();
        QDir::setCurrent(workDir.path());
    }
    void TearDown() override {
        startUp.reset();
        QDir::setCurrent(previousDir);
    }

    // Writes preferences as an earlier run would have left them.
    static void storePreference(const QString& key, const QString& value) {
        QSettings store("Kelvo", "Kelvo");
        store.setValue("Start/" + key, value);
    }
    static QString storedPreference(const QString& key) {
        return QSettings("Kelvo", "Kelvo").value("Start/" + key, "<missing>").toString();
    }
    // Writes a file in the working folder, or at the absolute path given.
    static void write(const QString& path, const QByteArray& content) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    void touch(const QString& name, const QByteArray& content = "x") {
        write(workDir.filePath(name), content);
    }
    // A file of data/ in the working folder, under its own name or another.
    void copyData(const QString& name, const QString& as = QString()) {
        ASSERT_TRUE(QFile::copy(QStringLiteral(KELVO_SOURCE_DIR "/data/") + name,
                                workDir.filePath(as.isEmpty() ? name : as)));
    }
    // The definition files of data/, as the program's working folder has them.
    void copyDefinitions() { CopyDefinitions(workDir.path().toStdString()); }

    // The Context start-up works on: a silent port here, a virtual sensor in start-up tests.
    virtual Context& context() { return tc.ctx; }

    StartUp& shell(StartUp::WindowFactory factory = {}) {
        if (!startUp) {
            startUp = std::make_unique<StartUp>(context(), std::move(factory));
            startUp->setEndProgram([this] { ++programEnds; });
            startUp->setDocumentOpener([this](const QString& path) { opened << path; });
        }
        return *startUp;
    }

    QTemporaryDir workDir;
    QString previousDir;
    TestContext tc;
    std::unique_ptr<StartUp> startUp;
    int programEnds = 0;
    QStringList opened;
};

}  // namespace kelvo::test
