// kelvo: the sensor windows and the setup dialog that leads to them.
#include <QApplication>
#include <QTimer>

#include "app/kelvo_application.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Captions carry the executable's own name; the windows end the program explicitly.
    QApplication::setQuitOnLastWindowClosed(false);
    kelvo::KelvoApplication kelvo;
    QTimer::singleShot(0, &kelvo, [&kelvo] { kelvo.start(); });
    return app.exec();
}
