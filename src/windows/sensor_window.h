#pragma once
// The shape every sensor window shares: menus, the pending action, the activation loop,
// and the members start-up reaches by name. Start-up talks to windows only through this.

#include <QMainWindow>

class QAction;
class QCheckBox;
class QMenu;
class QPushButton;

namespace kelvo {

struct Context;
class WindowHost;

class SensorWindow : public QMainWindow {
    Q_OBJECT

public:
    SensorWindow(Context& ctx, WindowHost& host, QWidget* parent = nullptr);
    ~SensorWindow() override;

    virtual bool FormUpdateInit() = 0;
    virtual bool FormUpdate() = 0;
    virtual bool FormRead() = 0;
    virtual bool FormUpdateM() = 0;
    virtual void SimMode(bool on) = 0;

    // Controls start-up switches on and off; created by the base, named as the system names
    // them. The concrete window places them in its layout.
    QCheckBox* cbxSimulated = nullptr;
    QAction* mReadfromsensor = nullptr;
    QAction* mSendtosensor = nullptr;
    QMenu* mCalibrate = nullptr;
    QAction* mComSet = nullptr;
    QPushButton* btnReadFromSensor = nullptr;
    QPushButton* btnSendToSensor = nullptr;

protected:
    Context& ctx_;
    WindowHost& host_;
};

}  // namespace kelvo
