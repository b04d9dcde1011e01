#include "app/frm_span_cal_note.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/context.h"

namespace kelvo {

frmSpanCalNote::frmSpanCalNote(Context& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName("frmSpanCalNote");
    setWindowTitle("Span cal note");
    setModal(true);

    Label1 = new QLabel("Note!", this);
    Label2 = new QLabel(
        "The Span constant is given from the factory calibration  and  is not expected to vary "
        "with age.   If span calibration still is needed then it is recommended to perform a "
        "single point calibration first, then to use a well specified gas concentration to flow "
        "through the sensor with a flow of 0.3 l/min.",
        this);
    Command2 = new QPushButton("Next", this);
    Command1 = new QPushButton("Cancel", this);
    Label1->setObjectName("Label1");
    Label2->setObjectName("Label2");
    Command2->setObjectName("Command2");
    Command1->setObjectName("Command1");
    Label2->setWordWrap(true);
    Label2->setMinimumWidth(360);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    // Enter presses the focused button; Cancel is the one that must get it.
    Command2->setAutoDefault(false);
    Command1->setAutoDefault(true);
    Command1->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addLayout(buttons);

    connect(Command2, &QPushButton::clicked, this, &QDialog::accept);
    connect(Command1, &QPushButton::clicked, this, &QDialog::reject);
}

void frmSpanCalNote::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Command1->setFocus();
}

bool frmSpanCalNote::ask() {
    if (exec() == QDialog::Accepted) return true;
    cancel(ctx_);
    return false;
}

}  // namespace kelvo
