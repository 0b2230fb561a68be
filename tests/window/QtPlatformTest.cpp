// The desktop host: the controller's clock reads the local time with Sunday as day 1.
#include "window/QtPlatform.h"
#include "QtTestMain.h"

#include <QTest>

#include <ctime>

using namespace kv410;

class QtPlatformTest : public QObject {
    Q_OBJECT

private slots:
    void localTimeAgreesWithTheCLibrary() {
        for (int attempt = 0; attempt < 20; ++attempt) {
            // The host's clock starts from the system's local time, to the whole second.
            QtPlatform host;
            const std::time_t now = std::time(nullptr);
            std::tm local{};
            localtime_r(&now, &local);
            const HostDateTime read = host.localNow();
            if (read.second != local.tm_sec) {
                continue; // the second turned between the two readings
            }
            QCOMPARE(read.year, local.tm_year + 1900);
            QCOMPARE(read.month, local.tm_mon + 1);
            QCOMPARE(read.day, local.tm_mday);
            QCOMPARE(read.hour, local.tm_hour);
            QCOMPARE(read.minute, local.tm_min);
            QCOMPARE(read.dayOfWeek, local.tm_wday + 1);
            return;
        }
        QFAIL("clock did not hold still");
    }
};

KV410_QT_TEST(QtPlatformTest)

#include "QtPlatformTest.moc"
