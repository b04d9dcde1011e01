#include "app/frm_msg.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include "common/context.h"

namespace kelvo {

namespace {
constexpr int kRefreshMs = 100;  // how often the dialog shows the transfer's progress
constexpr int kLineWidth = 320;
}  // namespace

frmMsg::frmMsg(Context& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName("frmMsg");
    setWindowTitle(QString());
    setModal(false);

    Label1 = new QLabel(this);
    Label2 = new QLabel(this);
    Label3 = new QLabel(this);
    Label4 = new QLabel(this);
    lblWidth = new QLabel(this);
    ProgressBar1 = new QProgressBar(this);
    Command1 = new QPushButton(tr("Cancel"), this);
    Timer1 = new QTimer(this);
    Label1->setObjectName("Label1");
    Label2->setObjectName("Label2");
    Label3->setObjectName("Label3");
    Label4->setObjectName("Label4");
    lblWidth->setObjectName("lblWidth");
    ProgressBar1->setObjectName("ProgressBar1");
    Command1->setObjectName("Command1");
    Timer1->setObjectName("Timer1");

    // Label4 and lblWidth only hold the layout open: one fixes the height of the caption
    // row, the other the width of the text lines.
    Label4->hide();
    lblWidth->setFixedSize(kLineWidth, 0);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(true);

    auto* lines = new QVBoxLayout;
    lines->addWidget(lblWidth);
    lines->addWidget(Label1);
    lines->addWidget(Label2);
    lines->addWidget(Label3);
    auto* buttonColumn = new QVBoxLayout;
    buttonColumn->addStretch();
    buttonColumn->addWidget(Command1);
    auto* top = new QHBoxLayout;
    top->addLayout(lines, 1);
    top->addLayout(buttonColumn);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(ProgressBar1);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    Timer1->setInterval(kRefreshMs);
    connect(Timer1, &QTimer::timeout, this, &frmMsg::Timer1_Timer);
    connect(Command1, &QPushButton::clicked, this, &frmMsg::Command1_Click);
}

void frmMsg::Command1_Click() {
    // The running transfer checks ErrorText before each attempt and gives up; its caller
    // closes this dialog and says nothing.
    cancel(ctx_);
}

void frmMsg::Timer1_Timer() {
    if (ProgressBar1->isVisibleTo(this)) ProgressBar1->setValue(ctx_.ProgressPercent);
    if (Label2->isVisibleTo(this)) Label2->setText(QString::fromStdString(ctx_.StatusText));
    if (Label3->isVisibleTo(this)) Label3->setText(QString());
}

void frmMsg::closeEvent(QCloseEvent* event) {
    // Closing the box is asking the operation to stop; the operation's caller closes it.
    Command1_Click();
    event->ignore();
}

// Escape means Cancel too; the dialog itself would only vanish while the operation runs on.
void frmMsg::reject() {
    Command1_Click();
}

void frmMsg::closeProgress() {
    Timer1->stop();
    hide();
    if (owner_) owner_->unsetCursor();
    owner_.clear();
}

void frmMsg::ShowProgress(const QString& caption, bool HideBar, QWidget* owner, bool HideLine1,
                          bool HideLine2, bool HideLine3) {
    Label1->setText(caption);
    ProgressBar1->setValue(0);
    if (caption.isEmpty()) {
        closeProgress();
        return;
    }
    if (owner && owner != owner_) {
        if (owner_) owner_->unsetCursor();
        owner_ = owner;
    }
    if (owner_) owner_->setCursor(Qt::WaitCursor);

    if (!(HideLine1 && HideLine2 && HideLine3)) {
        Label1->setVisible(!HideLine1);
        Label2->setVisible(!HideLine2);
        Label3->setVisible(!HideLine3);
    }
    ProgressBar1->setVisible(!HideBar);

    if (!isVisible()) {
        show();
        if (owner_ && owner_->window()->windowHandle() && windowHandle())
            windowHandle()->setTransientParent(owner_->window()->windowHandle());
        Timer1->start();
    }
    Timer1_Timer();
    ctx_.events.processEvents();
    raise();
    activateWindow();
    Command1->setFocus();
}

}  // namespace kelvo
