#include "app/help_viewer.h"

#include <gtest/gtest.h>

#include <functional>

#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTemporaryDir>
#include <QTextBrowser>

namespace kelvo {
namespace {

TEST(HelpViewer, ThePageOpensInTheBrowserOrElseInKelvosOwnWindow) {
    QTemporaryDir dir;
    const QString page = dir.filePath("help5v3.html");
    {
        QFile file(page);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<html><body><h1>Platform 5, version 3</h1></body></html>");
    }
    const struct {
        const char* name;
        QString path;
        bool desktopTakesIt;
        bool desktopAsked;
        const char* ownWindowShows;  // nullptr: no window of our own
    } cases[] = {
        {"browser opens it", page, true, true, nullptr},
        {"no browser", page, false, true, "Platform 5, version 3"},
        {"page missing", dir.filePath("help6v9.html"), true, false, "was not found"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QList<QUrl> asked;
        HelpViewer viewer([&](const QUrl& url) {
            asked << url;
            return c.desktopTakesIt;
        });
        viewer.open(c.path);
        EXPECT_EQ(!asked.isEmpty(), c.desktopAsked);
        if (c.desktopAsked) {
            EXPECT_EQ(asked.value(0), QUrl::fromLocalFile(c.path));
        }
        if (!c.ownWindowShows) {
            EXPECT_EQ(viewer.ownWindow(), nullptr);
            continue;
        }
        ASSERT_NE(viewer.ownWindow(), nullptr);
        EXPECT_TRUE(viewer.ownWindow()->isVisible());
        EXPECT_TRUE(viewer.ownWindow()->toPlainText().contains(c.ownWindowShows))
            << viewer.ownWindow()->toPlainText().toStdString();
    }
}

TEST(HelpViewer, OwnWindowClosesByItsButtonEscapeAndCtrlW) {
    const std::function<void(QWidget*)> ways[] = {
        [](QWidget* w) { w->findChild<QPushButton*>("btnClose")->click(); },
        [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); },
        [](QWidget* w) { QTest::keyClick(w, Qt::Key_W, Qt::ControlModifier); },
    };
    HelpViewer viewer([](const QUrl&) { return false; });
    for (const auto& close : ways) {
        viewer.open("missing.html");
        QWidget* frame = viewer.ownFrame();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
        close(frame);
        EXPECT_FALSE(frame->isVisible());
    }
}

}  // namespace
}  // namespace kelvo
