// kv410: the simulator's window.
#include "KV410Version.h"
#include "core/FlashFile.h"
#include "window/FlashLock.h"
#include "window/MainWindow.h"
#include "window/QtPlatform.h"
#include "window/ShutdownSignals.h"
#include "window/StartOptions.h"

#ifdef KV410_WITH_PICTURES
#include "pictures/ScenarioPictures.h"
#endif

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

#include <cstdio>
#include <memory>

namespace {

// Another kv410 holds Flash.dat: asks whether to open it read-only (true) or to quit. Without
// anyone to ask (the offscreen platform, a signal meanwhile) it says so on standard error and
// quits.
bool askReadOnly(const QString& flashFile, const QString& holder) {
    const QString path = QDir::toNativeSeparators(QFileInfo(flashFile).absoluteFilePath());
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
        std::fprintf(stderr,
                     "kv410: %s is in use by %s; only one program writes it. Start kv410 with "
                     "--read-only to use it without saving, or close the other one first.\n",
                     path.toLocal8Bit().constData(), holder.toLocal8Bit().constData());
        return false;
    }
    QMessageBox box(QMessageBox::Question, QStringLiteral("KV410"),
                    QStringLiteral("Flash.dat is in use by another KV410 window."));
    box.setInformativeText(
        QStringLiteral("File: %1\nIt is open in %2, which saves it when it closes.\n\n"
                       "Open it read-only (nothing of this session is saved), or quit?")
            .arg(path, holder));
    QPushButton* readOnly =
        box.addButton(QStringLiteral("Open read-only"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("Quit"), QMessageBox::RejectRole);
    box.setDefaultButton(readOnly);
    box.exec();
    if (box.clickedButton() != readOnly || kv410::shutdownRequested()) {
        std::fprintf(stderr, "kv410: %s is in use by %s; not started\n",
                     path.toLocal8Bit().constData(), holder.toLocal8Bit().constData());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // The command line is read before Qt starts, so --help and --version need no display.
    const kv410::StartOptions options = kv410::parseStartOptions(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kv410"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kv410::ProgramVersion));
    switch (options.action) {
    case kv410::StartOptions::Action::Help:
        std::fputs(kv410::startUsage().c_str(), stdout);
        return 0;
    case kv410::StartOptions::Action::Version:
        std::printf("kv410 %s\n", kv410::ProgramVersion);
        return 0;
    case kv410::StartOptions::Action::Error:
        std::fprintf(stderr, "kv410: %s\n%s", options.error.c_str(), kv410::startUsage().c_str());
        return 2;
    case kv410::StartOptions::Action::Run:
        break;
    }
    if (const std::string reason = kv410::missingDisplayReason(); !reason.empty()) {
        std::fputs(kv410::noDisplayLine(reason).c_str(), stderr);
        return 1;
    }

    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    std::unique_ptr<QApplication> app;
    {
        kv410::PlatformStartGuard guard;
        app = std::make_unique<QApplication>(qtArgc, qtArgv);
    }
    QGuiApplication::setDesktopFileName(QStringLiteral("kv410"));
    QIcon icon;
    for (const int pixels : {16, 32, 48, 64, 128}) {
        icon.addFile(QStringLiteral(":/icons/%1").arg(pixels));
    }
    QApplication::setWindowIcon(icon);
    const QString flashFile = kv410::flashFileFor(options);
    kv410::FlashFilePath = QFile::encodeName(flashFile).toStdString();

    // From here on a termination signal ends the program in bounded time, even while a message
    // box waits for an answer.
    kv410::ShutdownSignals shutdown;
    kv410::WindowOptions windowOptions = options.window;
    // The zoom of the last run (Ctrl+plus, Ctrl+minus, Ctrl+0), held to what fits the screen.
    windowOptions.zoom = QSettings(QStringLiteral("kv410"), QStringLiteral("kv410"))
                             .value(QStringLiteral("zoom"), 0.0)
                             .toDouble();
    const bool writesFlash = windowOptions.playPath.empty() && !windowOptions.control &&
                             windowOptions.lessonPath.empty() && !windowOptions.readOnly;
    kv410::FlashLock lock(flashFile);
    if (writesFlash && !lock.take()) {
        if (!askReadOnly(flashFile, lock.holder())) {
            return 3;
        }
        windowOptions.readOnly = true;
    }

    kv410::QtPlatform host;
    kv410::installPlatform(&host);
#ifdef KV410_WITH_PICTURES
    // A played script's snapshots are drawn as kv410-script draws them.
    kv410::ScenarioPictures pictures;
    kv410::installFrontPictures(&pictures);
#endif
    int status = 0;
    bool saveFailed = false;
    {
        kv410::TMainFrm window(nullptr, windowOptions);
        if (!window.lessonErrors().empty()) {
            // A lesson that cannot be read is not started, as kv410-script --lesson refuses it.
            for (const std::string& error : window.lessonErrors()) {
                std::fprintf(stderr, "%s\n", error.c_str());
            }
            return 2;
        }
        shutdown.setWindow(&window);
        QObject::connect(&window, &kv410::TMainFrm::finished, &window, [&window](int code) {
            window.close();
            QApplication::exit(code);
        });
        if (!kv410::shutdownRequested()) {
            // The English gloss is on when it was on when the window last closed.
            window.setEnglishShown(QSettings(QStringLiteral("kv410"), QStringLiteral("kv410"))
                                       .value(QStringLiteral("english"))
                                       .toBool());
            window.show();
            status = QApplication::exec();
        }
        window.close();
        shutdown.setWindow(nullptr);
        saveFailed = window.flashSaveFailed();
    }
    kv410::installPlatform(nullptr);
    if (saveFailed) {
        std::fprintf(stderr, "kv410: Flash.dat could not be saved (%s); the changes are lost\n",
                     QDir::toNativeSeparators(QFileInfo(flashFile).absoluteFilePath())
                         .toLocal8Bit()
                         .constData());
        return status == 0 ? 3 : status;
    }
    return status;
}
