// The one main of the window's Qt Test programs.
#include "QtTestMain.h"

#include <QApplication>
#include <QTest>

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", KV410_TEST_PLATFORM);
    }
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kv410"));
    const std::unique_ptr<QObject> test = kv410::makeQtTest();
    return QTest::qExec(test.get(), argc, argv);
}
