// kv410: the simulator's window.
#include "panel/window/MainWindow.h"
#include "panel/window/QtPlatform.h"
#include "panel/window/ShutdownSignals.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    kv410::QtPlatform host;
    kv410::installPlatform(&host);
    int status = 0;
    {
        kv410::TMainFrm window;
        kv410::ShutdownSignals shutdown(&window);
        window.show();
        status = QApplication::exec();
    }
    kv410::installPlatform(nullptr);
    return status;
}
