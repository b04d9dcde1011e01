#include "app/frm_sim.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/context.h"

namespace kelvo {

frmSim::frmSim(Context& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName("frmSim");
    setWindowTitle("Simulated mode");
    setModal(true);

    Label1 = new QLabel("Type of sensor to simulate:", this);
    cmbTypeOfS = new QComboBox(this);
    Command1 = new QPushButton("Next", this);
    Command2 = new QPushButton("Cancel", this);
    Label1->setObjectName("Label1");
    cmbTypeOfS->setObjectName("cmbTypeOfS");
    Command1->setObjectName("Command1");
    Command2->setObjectName("Command2");
    Command1->setDefault(true);
    cmbTypeOfS->setMinimumWidth(200);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(cmbTypeOfS);
    layout->addLayout(buttons);

    connect(Command1, &QPushButton::clicked, this, &frmSim::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmSim::Command2_Click);
}

void frmSim::Command1_Click() {
    hide();
    emit chosen();
}

void frmSim::Command2_Click() {
    cancel(ctx_);
    hide();
    emit chosen();
}

// The choice is what the user came for; Enter still means "Next".
void frmSim::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    cmbTypeOfS->setFocus();
}

// Escape and the close box cancel: start-up must not go on with a choice nobody made.
void frmSim::reject() {
    Command2_Click();
}

void frmSim::closeEvent(QCloseEvent* event) {
    event->ignore();
    Command2_Click();
}

}  // namespace kelvo
