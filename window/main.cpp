// kv410: the simulator's window.
#include "KV410Version.h"
#include "core/FlashFile.h"
#include "window/MainWindow.h"
#include "window/QtPlatform.h"
#include "window/ShutdownSignals.h"
#include "window/StartOptions.h"

#ifdef KV410_WITH_PICTURES
#include "pictures/ScenarioPictures.h"
#endif

#include <QApplication>
#include <QFile>
#include <QIcon>

#include <cstdio>
#include <memory>

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
    kv410::FlashFilePath = QFile::encodeName(kv410::flashFileFor(options)).toStdString();

    kv410::QtPlatform host;
    kv410::installPlatform(&host);
#ifdef KV410_WITH_PICTURES
    // A played script's snapshots are drawn as kv410-script draws them.
    kv410::ScenarioPictures pictures;
    kv410::installFrontPictures(&pictures);
#endif
    int status = 0;
    {
        kv410::TMainFrm window(nullptr, options.window);
        kv410::ShutdownSignals shutdown(&window);
        QObject::connect(&window, &kv410::TMainFrm::finished, &window, [&window](int code) {
            window.close();
            QApplication::exit(code);
        });
        window.show();
        status = QApplication::exec();
    }
    kv410::installPlatform(nullptr);
    return status;
}
