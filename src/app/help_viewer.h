#pragma once
// Help pages open in the desktop's browser; where there is none, or it cannot be started,
// they open in a window of Kelvo's own, so that Help never does nothing.

#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

class QTextBrowser;
class QWidget;

namespace kelvo {

class HelpViewer {
public:
    // True when the desktop took the page.
    using DesktopOpener = std::function<bool(const QUrl&)>;

    explicit HelpViewer(DesktopOpener desktop = openWithDesktop);
    ~HelpViewer();

    void open(const QString& path);
    // The page in Kelvo's own help window; null until a page needed it.
    QTextBrowser* ownWindow() const { return browser_; }
    // That window, with its Close button; it closes on Escape and Ctrl+W too.
    QWidget* ownFrame() const { return own_.get(); }

    static bool openWithDesktop(const QUrl& url);

private:
    void showOwn(const QString& path);

    DesktopOpener desktop_;
    std::unique_ptr<QWidget> own_;
    QTextBrowser* browser_ = nullptr;
};

}  // namespace kelvo
