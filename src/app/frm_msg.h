#pragma once
// The progress dialog: what a long operation is doing, how far it has come, and a Cancel
// button that asks it to stop.

#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace kelvo {

struct Context;

class frmMsg : public QDialog {
    Q_OBJECT

public:
    explicit frmMsg(Context& ctx, QWidget* parent = nullptr);

    // Opens, lays out or, with an empty caption, closes the dialog. Line 1 is the caption,
    // line 2 follows StatusText, line 3 is a second status line; the bar follows
    // ProgressPercent.
    void ShowProgress(const QString& caption, bool HideBar, QWidget* owner, bool HideLine1,
                      bool HideLine2, bool HideLine3);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* lblWidth = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QTimer* Timer1 = nullptr;
    QPushButton* Command1 = nullptr;

    // Every 100 ms: the running transfer's status and percentage into the visible lines.
    void Timer1_Timer();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void Command1_Click();
    void closeProgress();

    Context& ctx_;
    QPointer<QWidget> owner_;
};

}  // namespace kelvo
