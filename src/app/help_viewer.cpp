#include "app/help_viewer.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextBrowser>

namespace kelvo {

HelpViewer::HelpViewer(DesktopOpener desktop) : desktop_(std::move(desktop)) {}

HelpViewer::~HelpViewer() = default;

bool HelpViewer::openWithDesktop(const QUrl& url) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // Without xdg-open Qt reports success for some desktops and shows nothing.
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty()) return false;
#endif
    return QDesktopServices::openUrl(url);
}

void HelpViewer::open(const QString& path) {
    // A browser handed a missing file shows its own error page, or nothing at all; our
    // window says which page is missing.
    if (QFileInfo::exists(path) && desktop_ && desktop_(QUrl::fromLocalFile(path))) return;
    showOwn(path);
}

void HelpViewer::showOwn(const QString& path) {
    if (!own_) {
        own_ = std::make_unique<QTextBrowser>();
        own_->setObjectName(QStringLiteral("frmHelp"));
        own_->setOpenExternalLinks(true);
        own_->resize(720, 560);
    }
    own_->setWindowTitle(QStringLiteral("Help - %1").arg(QFileInfo(path).fileName()));
    if (QFileInfo::exists(path)) {
        own_->setSource(QUrl::fromLocalFile(path));
    } else {
        own_->setPlainText(QStringLiteral("The help page %1 was not found.").arg(path));
    }
    own_->show();
    own_->raise();
    own_->activateWindow();
}

}  // namespace kelvo
