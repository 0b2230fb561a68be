// kv410's command line, where it keeps Flash.dat, and the path in the file-error message box.
#include "window/StartOptions.h"
#include "QtTestMain.h"
#include "ScratchFolder.h"
#include "core/FlashFile.h"
#include "core/Platform.h"
#include "window/QtPlatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <string>
#include <vector>

using namespace kv410;

namespace {

StartOptions parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "kv410");
    return parseStartOptions(int(arguments.size()), arguments.data());
}

} // namespace

class StartOptionsTest : public QObject {
    Q_OBJECT

private slots:
    void commandLineIsReadStrictly() {
        const StartOptions plain = parse({});
        QCOMPARE(plain.action, StartOptions::Action::Run);
        QVERIFY(plain.flashPath.empty());
        QVERIFY(!plain.dataFolder);

        const StartOptions both = parse({"--data-folder", "--flash", "/tmp/x.dat"});
        QCOMPARE(both.action, StartOptions::Action::Run);
        QCOMPARE(both.flashPath, std::string("/tmp/x.dat"));
        QVERIFY(both.dataFolder);

        // Help and version win over whatever else is on the line, even a wrong option after.
        QCOMPARE(parse({"--flash", "a", "--help", "--nonsense"}).action,
                 StartOptions::Action::Help);
        QCOMPARE(parse({"-h"}).action, StartOptions::Action::Help);
        QCOMPARE(parse({"--version"}).action, StartOptions::Action::Version);

        for (const auto& wrong : std::vector<std::vector<const char*>>{
                 {"--flash"}, {"--flash", ""}, {"--fullscreen"}, {"Flash.dat"}, {"-platform"}}) {
            const StartOptions options = parse(wrong);
            QCOMPARE(options.action, StartOptions::Action::Error);
            QVERIFY(!options.error.empty());
        }
    }

    void aPlayedScriptStartsOnTheRunnersClockUnlessToldOtherwise() {
        const auto clockOf = [](const StartOptions& options) {
            const int* c = options.window.clock;
            return std::vector<int>(c, c + 6);
        };
        QCOMPARE(clockOf(parse({})), std::vector<int>(6, 0));
        QCOMPARE(clockOf(parse({"--play", "a.kvs"})), std::vector<int>({2026, 12, 7, 8, 0, 0}));
        QCOMPARE(clockOf(parse({"--control"})), std::vector<int>({2026, 12, 7, 8, 0, 0}));
        QCOMPARE(clockOf(parse({"--clock", "2031-06-01 23:59:30", "--play", "a.kvs"})),
                 std::vector<int>({2031, 6, 1, 23, 59, 30}));
        QCOMPARE(clockOf(parse({"--clock", "2030-01-02 03:04:05"})),
                 std::vector<int>({2030, 1, 2, 3, 4, 5}));
        for (const char* wrong : {"2030-01-02", "2030-13-01 00:00:00", ""}) {
            QCOMPARE(parse({"--clock", wrong}).action, StartOptions::Action::Error);
        }
        QVERIFY(parse({"--read-only"}).window.readOnly);
    }

    void aLessonIsReadWithItsSeedAndNotUnderLiveControl() {
        const StartOptions lesson = parse({"--lesson", "l.kvs", "--seed", "4294967295"});
        QCOMPARE(lesson.action, StartOptions::Action::Run);
        QCOMPARE(lesson.window.lessonPath, std::string("l.kvs"));
        QCOMPARE(lesson.window.seed, uint32_t(4294967295u));
        // A lesson runs on kv410-script's clock, so its checks of the time read alike.
        QCOMPARE(lesson.window.clock[0], 2026);
        QCOMPARE(parse({"--lesson", "l.kvs"}).window.seed, uint32_t(1));
        const StartOptions played =
            parse({"--lesson", "l.kvs", "--play", "l.solution.kvs", "--speed", "max", "--exit"});
        QCOMPARE(played.action, StartOptions::Action::Run);
        QCOMPARE(played.window.playPath, std::string("l.solution.kvs"));
        for (const auto& wrong :
             std::vector<std::vector<const char*>>{{"--lesson"},
                                                   {"--lesson", ""},
                                                   {"--lesson", "l.kvs", "--control"},
                                                   {"--lesson", "l.kvs", "--seed", "-1"},
                                                   {"--lesson", "l.kvs", "--seed", "4294967296"},
                                                   {"--lesson", "l.kvs", "--seed", "7x"},
                                                   {"--seed", "3"}}) {
            const StartOptions options = parse(wrong);
            QCOMPARE(options.action, StartOptions::Action::Error);
            QVERIFY(!options.error.empty());
        }
        QVERIFY(QString::fromStdString(startUsage()).contains(QStringLiteral("--lesson FILE")));
    }

    void withoutADisplayItPointsToWhatIsInstalled() {
        const std::string line = noDisplayLine("no display");
        QVERIFY2(line.find("kv410-script") != std::string::npos, line.c_str());
        QVERIFY2(line.find("/usr/share/doc/kv410") != std::string::npos, line.c_str());
        QVERIFY2(line.find("example.") == std::string::npos, line.c_str());
        QCOMPARE(std::count(line.begin(), line.end(), '\n'), 1);
    }

    void flashFileFollowsTheWayTheWindowWasStarted() {
        const ScratchFolder home("data-home");
        const QByteArray savedDataHome = qgetenv("XDG_DATA_HOME");
        const QString dataHome = QString::fromStdString(home.file("not/yet/there"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));

        // From a terminal: the current folder, as always.
        QCOMPARE(flashFileFor(parse({})), QStringLiteral("Flash.dat"));
        // From the menu: the user's data folder, made when missing.
        const QString expected = dataHome + QStringLiteral("/kv410/Flash.dat");
        QCOMPARE(flashFileFor(parse({"--data-folder"})), expected);
        QVERIFY(QFileInfo(dataHome + QStringLiteral("/kv410")).isDir());
        QVERIFY(QString::fromStdString(startUsage()).contains(dataHome + QStringLiteral("/kv410")));
        // --flash wins.
        QCOMPARE(flashFileFor(parse({"--data-folder", "--flash", "mine.dat"})),
                 QStringLiteral("mine.dat"));

        qputenv("XDG_DATA_HOME", savedDataHome);
    }

    void fileErrorBoxNamesThePathTried() {
        const ScratchFolder folder("start-options");
        // A plain file where the folder should be: Flash.dat can be neither read nor made.
        const QString blocker = QString::fromStdString(folder.file("blocker"));
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const std::string savedPath = FlashFilePath;
        FlashFilePath = QFile::encodeName(blocker + QStringLiteral("/Flash.dat")).toStdString();

        QtPlatform host;
        installPlatform(&host);
        QString text;
        QString detail;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            text = box->text();
            detail = box->informativeText();
            box->button(QMessageBox::Ok)->click();
        });
        loadFlashFile();
        installPlatform(nullptr);
        FlashFilePath = savedPath;

        // The controller's text stays as it is; the path is a line of its own.
        QCOMPARE(text, QStringLiteral("Could not open or create file FLASH.DAT"));
        QCOMPARE(detail, QStringLiteral("File: %1/Flash.dat").arg(blocker));
    }
};

KV410_QT_TEST(StartOptionsTest)

#include "StartOptionsTest.moc"
