// kelvo: the windows. Start-up lands with the application shell.
#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMessageBox::information(nullptr, "Kelvo", "Kelvo 3.09: the windows are not built yet.");
    return 0;
}
