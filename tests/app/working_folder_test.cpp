#include "app/working_folder.h"

#include <QFile>
#include <QTemporaryDir>

#include "app/frm_com_set.h"
#include "app/shell_fixture.h"

namespace kelvo::test {
namespace {

class SeedWorkingFolder : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(seedDir.isValid());
        for (const QString& name : kSeedFiles) write(seedDir.filePath(name), "seed");
    }
    static QByteArray read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    StartUp& seededShell(bool answer) {
        StartUp& s = shell();
        s.setSeedFolder(seedDir.path());
        s.setSeedQuestion([this, answer](const QString& question) {
            questions << question;
            return answer;
        });
        return s;
    }

    const QStringList kSeedFiles{"DEF00103.PDT", "help5v0.html", "helpComSet.html",
                                 "Platform6.sim"};
    QTemporaryDir seedDir;
    QStringList questions;
};

TEST_F(SeedWorkingFolder, OffersOnlyWhatAFolderLacksAndNeverReplacesAFile) {
    struct Case {
        const char* what;
        QStringList present;  // the user's own files, content "mine"
        bool answer;
        bool asked;
    };
    const Case cases[] = {
        {"a new folder, yes", {}, true, true},
        {"a new folder, no", {}, false, true},
        {"only last.set", {"last.set"}, true, true},
        {"help pages but no definition file", {"help5v0.html"}, true, true},
        {"definition files but no help page", {"DEF00103.PDT"}, true, true},
        {"both kinds, whatever their case", {"def00231.pdt", "HELP6v0.HTML"}, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir work;
        ASSERT_TRUE(work.isValid());
        QDir::setCurrent(work.path());
        for (const QString& name : c.present) write(work.filePath(name), "mine");
        questions.clear();
        startUp.reset();

        seededShell(c.answer).Main();

        ASSERT_EQ(questions.size(), c.asked ? 1 : 0);
        if (c.asked) {
            EXPECT_TRUE(questions[0].contains(QDir::toNativeSeparators(seedDir.path())));
        }
        for (const QString& name : c.present)
            EXPECT_EQ(read(work.filePath(name)), "mine") << name.toStdString();
        for (const QString& name : kSeedFiles) {
            if (c.present.contains(name)) continue;
            const bool copied = c.asked && c.answer;
            EXPECT_EQ(read(work.filePath(name)), copied ? "seed" : "<missing>")
                << name.toStdString();
        }
        EXPECT_TRUE(startUp->comSet().isVisible());  // start-up goes on either way
        EXPECT_TRUE(tc.prompter.messages().empty());
    }
}

TEST_F(SeedWorkingFolder, AUserWhoDeclinedIsNotAskedAgainAtRestart) {
    StartUp& s = seededShell(false);
    s.Main();
    s.RestartOrEnd();
    ASSERT_TRUE(s.comSet().isVisible());
    EXPECT_EQ(questions.size(), 1);
    EXPECT_EQ(QDir(workDir.path()).entryList({"*.PDT", "*.html", "*.sim"}, QDir::Files),
              QStringList());
}

TEST_F(SeedWorkingFolder, NothingToOfferAsksNothing) {
    // A folder that already has every file the seed has, though not of each kind.
    for (const QString& name : kSeedFiles) touch(name);
    QFile::remove(workDir.filePath("DEF00103.PDT"));
    QFile::remove(seedDir.filePath("DEF00103.PDT"));
    seededShell(true).Main();
    EXPECT_TRUE(questions.isEmpty());
    // And a program without an installed copy never asks.
    startUp.reset();
    shell().setSeedQuestion([this](const QString& q) { return questions << q, true; });
    shell().Main();
    EXPECT_TRUE(questions.isEmpty());
}

}  // namespace
}  // namespace kelvo::test
