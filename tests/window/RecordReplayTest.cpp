// Recording in the window and replaying in kv410-script: random sessions of window inputs give
// the very same transcript in both; a script that cannot be written leaves the unit running;
// playback and live control answer as the runner does.
#include "QtTestMain.h"
#include "ScratchFolder.h"
#include "window/MainWindow.h"

#include "core/FlashFile.h"
#include "core/VirtualPlatform.h"
#include "scripttool/CommandLine.h"
#include "unit/ControllerState.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <memory>
#include <random>
#include <sstream>

using namespace kv410;

class RecordReplayTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScratchFolder> folder_;
    VirtualPlatform host_;

    // The path of `name` in the test's scratch folder.
    QString filePath(const char* name) const { return QString::fromStdString(folder_->file(name)); }

    std::unique_ptr<TMainFrm> openWindow(WindowOptions options) {
        resetControllerState();
        host_.setClock(2026, 12, 8, 21, 40, 7);
        installPlatform(&host_);
        auto window = std::make_unique<TMainFrm>(nullptr, std::move(options));
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) {
            return nullptr;
        }
        // The test moves time itself, tick by tick.
        window->Pacer->stop();
        return window;
    }

    static std::string replay(const std::string& script) {
        const std::string arguments[] = {"--trace", script};
        std::istringstream in;
        std::ostringstream out, err;
        runScenarioTool(arguments, in, out, err);
        return out.str() + err.str();
    }

    // A person at the front: one random action at a time, with random pauses.
    static void act(TMainFrm& window, std::mt19937& random) {
        const auto pick = [&random](int n) { return static_cast<int>(random() % n); };
        QWidget* buttons[] = {window.Shape1, window.Shape2, window.Shape3};
        switch (pick(10)) {
        case 0:
            QTest::mouseClick(window.Shape6, Qt::LeftButton);
            break;
        case 1:
        case 2: {
            const Qt::MouseButton button[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
            QTest::mouseClick(window.RattImage, button[pick(3)],
                              pick(4) == 0 ? Qt::ShiftModifier : Qt::NoModifier);
            break;
        }
        case 3:
        case 4: {
            QWidget* area = buttons[pick(3)];
            QTest::mousePress(area, Qt::LeftButton);
            if (pick(2) == 0) {
                window.runTicksNow(pick(4) == 0 ? 20 * (3 + pick(4)) : 1 + pick(10));
            }
            QTest::mouseRelease(area, Qt::LeftButton);
            break;
        }
        case 5:
        case 6: {
            const int keys[] = {Qt::Key_Up,     Qt::Key_Down,   Qt::Key_Left,     Qt::Key_Right,
                                Qt::Key_Escape, Qt::Key_Return, Qt::Key_Plus,     Qt::Key_Minus,
                                Qt::Key_1,      Qt::Key_A,      Qt::Key_Asterisk, Qt::Key_F2};
            const int key = keys[pick(12)];
            const Qt::KeyboardModifiers shift = pick(4) == 0 ? Qt::ShiftModifier : Qt::NoModifier;
            if (pick(3) == 0) {
                // Held across ticks, as a person's key press mostly is.
                QTest::keyPress(&window, static_cast<Qt::Key>(key), shift);
                window.runTicksNow(1 + pick(4));
                QTest::keyRelease(&window, static_cast<Qt::Key>(key), shift);
            } else {
                QTest::keyClick(&window, static_cast<Qt::Key>(key), shift);
            }
            break;
        }
        case 7:
            window.SpeedButtons[pick(11)]->click();
            break;
        case 8:
            window.TrackBars[pick(11)]->setValue(-500 + pick(2001));
            break;
        default:
            window.runTicksNow(pick(5) == 0 ? 20 * (1 + pick(90)) : 1 + pick(30));
            break;
        }
    }

private slots:
    void init() {
        folder_ = std::make_unique<ScratchFolder>("record");
        folder_->enter();
        QVERIFY(QDir::current() == QDir(QString::fromStdString(folder_->path().string())));
    }

    void cleanup() {
        installPlatform(nullptr);
        resetControllerState();
        folder_.reset();
    }

    void randomSessionsReplayWithTheSameTranscript() {
        for (const unsigned seed : {11u, 2026u, 4711u}) {
            const std::string script = filePath("session.kvs").toStdString();
            std::ostringstream transcript;
            WindowOptions options;
            options.recordPath = script;
            options.recordChecks = seed != 11u;
            options.trace = true;
            options.output = &transcript;
            auto window = openWindow(options);
            QVERIFY(window != nullptr);
            QVERIFY(window->recording());
            std::mt19937 random(seed);
            for (int action = 0; action < 300; ++action) {
                act(*window, random);
            }
            window->runTicksNow(7);
            window->close();
            window.reset();
            QVERIFY(QFile::exists(filePath("session.flash.dat")));

            const std::string replayed = replay(script);
            const size_t totals = replayed.rfind('\n', replayed.size() - 2);
            QCOMPARE(QString::fromStdString(replayed.substr(0, totals + 1)),
                     QString::fromStdString(transcript.str()));
            QVERIFY2(replayed.find(" 0 failed") != std::string::npos, replayed.c_str());
        }
    }

    // A long run of random sessions for bench/window-soak.sh (AddressSanitizer build): set
    // KV410_WINDOW_SOAK_SECONDS. Every session must replay exactly and leave a Flash.dat that
    // loads.
    void soak() {
        const int seconds = qEnvironmentVariableIntValue("KV410_WINDOW_SOAK_SECONDS");
        if (seconds <= 0) {
            QSKIP("set KV410_WINDOW_SOAK_SECONDS to run the soak");
        }
        QElapsedTimer clock;
        clock.start();
        int sessions = 0;
        long actions = 0;
        for (unsigned seed = 1; clock.elapsed() < seconds * 1000LL; ++seed, ++sessions) {
            const std::string script = filePath("soak.kvs").toStdString();
            std::ostringstream transcript;
            WindowOptions options;
            options.recordPath = script;
            options.recordChecks = seed % 2 == 0;
            options.trace = true;
            options.output = &transcript;
            auto window = openWindow(options);
            QVERIFY(window != nullptr);
            std::mt19937 random(seed);
            const int count = 200 + static_cast<int>(random() % 800);
            for (int action = 0; action < count; ++action) {
                act(*window, random);
            }
            actions += count;
            window->close();
            window.reset();
            const std::string replayed = replay(script);
            const size_t totals = replayed.rfind('\n', replayed.size() - 2);
            QCOMPARE(QString::fromStdString(replayed.substr(0, totals + 1)),
                     QString::fromStdString(transcript.str()));
            installPlatform(&host_);
            QVERIFY(readFlashImageFile(filePath("Flash.dat").toStdString()));
            QCOMPARE(QFileInfo(filePath("Flash.dat")).size(), 2048);
        }
        std::printf("soak: %d sessions, %ld actions, every replay identical\n", sessions, actions);
        std::fflush(stdout);
    }

    // The recording holds what reached the unit and nothing else: the side panels as "click
    // paneler", a plain stroke as "key" (also when let go ticks later), a held Shift+Left (the
    // middle button, which its key up clears) as keydown, wait, keyup; no
    // modifier alone and no key let go whose press went elsewhere. It replays to the same
    // transcript.
    void theRecordingWritesWhatReachedTheUnitAndReplaysTheSame() {
        const std::string script = filePath("keys.kvs").toStdString();
        std::ostringstream transcript;
        WindowOptions options;
        options.recordPath = script;
        options.trace = true;
        options.output = &transcript;
        auto window = openWindow(options);
        QVERIFY(window != nullptr);
        QTest::mouseClick(window->Shape6, Qt::LeftButton);
        window->runTicksNow(60);
        QTest::keyClick(window.get(), Qt::Key_F2);
        QVERIFY(window->panelsShown());
        QTest::keyClick(window.get(), Qt::Key_Up);
        window->runTicksNow(2);
        QTest::keyPress(window.get(), Qt::Key_Left, Qt::ShiftModifier);
        window->runTicksNow(3);
        QTest::keyRelease(window.get(), Qt::Key_Left, Qt::ShiftModifier);
        window->runTicksNow(1);
        // A plain press as a person makes it, the key let go two ticks later.
        QTest::keyPress(window.get(), Qt::Key_Right);
        window->runTicksNow(2);
        QTest::keyRelease(window.get(), Qt::Key_Right);
        window->runTicksNow(1);
        // Alt as for Alt+F4, Control and Shift alone, and the Return that closed a dialog.
        QTest::keyPress(window.get(), Qt::Key_Alt, Qt::AltModifier);
        QTest::keyRelease(window.get(), Qt::Key_Alt);
        QTest::keyClick(window.get(), Qt::Key_Control, Qt::ControlModifier);
        QTest::keyClick(window.get(), Qt::Key_Shift, Qt::ShiftModifier);
        QTest::keyRelease(window.get(), Qt::Key_Return);
        QTest::mouseClick(window->PanelsButton, Qt::LeftButton);
        QVERIFY(!window->panelsShown());
        window->runTicksNow(5);
        window->close();
        window.reset();

        QFile file(QString::fromStdString(script));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QStringList steps;
        for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
            if (!line.isEmpty() && !line.startsWith(u'#') && !line.startsWith(u"clock ") &&
                !line.startsWith(u"flash ")) {
                steps << line;
            }
        }
        const QStringList expected = {
            "click power",        "wait 3000ms",   "click paneler",    "key up",    "wait 100ms",
            "keydown shift+left", "wait 150ms",    "keyup shift+left", "wait 50ms", "key right",
            "wait 150ms",         "click paneler", "wait 250ms"};
        QCOMPARE(steps, expected);

        const std::string replayed = replay(script);
        const size_t totals = replayed.rfind('\n', replayed.size() - 2);
        QCOMPARE(QString::fromStdString(replayed.substr(0, totals + 1)),
                 QString::fromStdString(transcript.str()));
        // The held Shift+Left (the middle button) showed the status view, in the window as in
        // the replay.
        QVERIFY2(transcript.str().find("VILLA-FUNKSJON") != std::string::npos,
                 transcript.str().c_str());
    }

    void theRecordDialogAddsTheScriptExtension() {
        QCOMPARE(scriptFileName(QStringLiteral("/tmp/session")),
                 QStringLiteral("/tmp/session.kvs"));
        QCOMPARE(scriptFileName(QStringLiteral("/tmp/a.b/run")),
                 QStringLiteral("/tmp/a.b/run.kvs"));
        QCOMPARE(scriptFileName(QStringLiteral("/tmp/x.kvs")), QStringLiteral("/tmp/x.kvs"));
        QCOMPARE(scriptFileName(QStringLiteral("/tmp/x.txt")), QStringLiteral("/tmp/x.txt"));
    }

    void aScriptThatCannotBeWrittenLeavesTheUnitRunning() {
        WindowOptions options;
        options.recordPath = filePath("gone/session.kvs").toStdString();
        auto window = openWindow(options);
        QVERIFY(window != nullptr);
        QVERIFY(!window->recording());
        QVERIFY(window->StatusLabel->isVisible());
        QVERIFY(window->StatusLabel->text().contains(QStringLiteral("Recording not started")));
        QTest::mouseClick(window->Shape6, Qt::LeftButton);
        window->runTicksNow(40);
        QVERIFY(LcdLit);
    }

    void playbackAnswersAsTheRunnerDoesAndLeavesFlashDatAlone() {
        QFile script(filePath("play.kvs"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("click power\nwait 2s\nexpect display lit\nexpect lcd 1 contains \"KX\"\n"
                     "hold right 6s\nprint \"held\"\n");
        script.close();
        std::ostringstream answers;
        WindowOptions options;
        options.playPath = script.fileName().toStdString();
        options.output = &answers;
        options.exitAtEnd = true;
        auto window = openWindow(options);
        QVERIFY(window != nullptr);
        int status = -1;
        connect(window.get(), &TMainFrm::finished, this, [&status](int code) { status = code; });
        window->Pacer->start();
        QTRY_COMPARE_WITH_TIMEOUT(status, 1, 20000);
        const std::string text = answers.str();
        QVERIFY2(text.find("FAIL " + options.playPath + ":4: expected lcd 1 contains \"KX\"") !=
                     std::string::npos,
                 text.c_str());
        QVERIFY2(text.find("held\n1 passed, 1 failed\n") != std::string::npos, text.c_str());
        window.reset();
        QVERIFY(!QFile::exists(filePath("Flash.dat")));
    }
};

KV410_QT_TEST(RecordReplayTest)

#include "RecordReplayTest.moc"
