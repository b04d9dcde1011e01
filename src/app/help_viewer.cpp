#include "app/help_viewer.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QPushButton>
#include <QShortcut>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QVBoxLayout>

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
        own_ = std::make_unique<QWidget>();
        own_->setObjectName(QStringLiteral("frmHelp"));
        browser_ = new QTextBrowser(own_.get());
        browser_->setObjectName(QStringLiteral("txtHelp"));
        browser_->setOpenExternalLinks(true);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, own_.get());
        buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("btnClose"));
        QObject::connect(buttons, &QDialogButtonBox::rejected, own_.get(), &QWidget::close);
        // A window read with the keyboard is left with it too, as a browser tab is.
        for (const QKeySequence& key : {QKeySequence(Qt::Key_Escape),
                                        QKeySequence(Qt::CTRL | Qt::Key_W),
                                        QKeySequence(QKeySequence::Close)}) {
            auto* shortcut = new QShortcut(key, own_.get());
            QObject::connect(shortcut, &QShortcut::activated, own_.get(), &QWidget::close);
        }
        auto* layout = new QVBoxLayout(own_.get());
        layout->addWidget(browser_);
        layout->addWidget(buttons);
        own_->resize(720, 560);
    }
    own_->setWindowTitle(QStringLiteral("Help - %1").arg(QFileInfo(path).fileName()));
    if (QFileInfo::exists(path)) {
        browser_->setSource(QUrl::fromLocalFile(path));
    } else {
        browser_->setPlainText(QStringLiteral("The help page %1 was not found.").arg(path));
    }
    own_->show();
    own_->raise();
    own_->activateWindow();
}

}  // namespace kelvo
