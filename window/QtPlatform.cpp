#include "window/QtPlatform.h"

#include "core/FlashFile.h"
#include "window/ShutdownSignals.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

#include <cstdio>

namespace kv410 {

QtPlatform::QtPlatform() {
    syncToSystemClock();
}

void QtPlatform::syncToSystemClock() {
    const QDateTime now = QDateTime::currentDateTime();
    setClock(
        QDateTime(now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second())));
}

void QtPlatform::setClock(const QDateTime& start) {
    start_ = start;
    elapsedMs_ = 0;
}

void QtPlatform::setClock(const HostDateTime& now) {
    setClock(
        QDateTime(QDate(now.year, now.month, now.day), QTime(now.hour, now.minute, now.second)));
}

QDateTime QtPlatform::clockNow() const {
    return start_.addMSecs(elapsedMs_);
}

HostDateTime QtPlatform::localNow() {
    const QDateTime now = clockNow();
    const QDate date = now.date();
    const QTime time = now.time();
    HostDateTime result;
    result.year = date.year();
    result.month = date.month();
    result.day = date.day();
    result.hour = time.hour();
    result.minute = time.minute();
    result.second = time.second();
    // Qt counts Monday = 1 .. Sunday = 7; the controller counts Sunday = 1 .. Saturday = 7.
    result.dayOfWeek = date.dayOfWeek() % 7 + 1;
    return result;
}

std::unique_ptr<QMessageBox> QtPlatform::buildMessageBox(std::string_view text,
                                                         std::string_view caption,
                                                         MessageButtons buttons) {
    auto box = std::make_unique<QMessageBox>(
        QMessageBox::Warning, QString::fromUtf8(caption.data(), qsizetype(caption.size())),
        QString::fromUtf8(text.data(), qsizetype(text.size())),
        buttons == MessageButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                            : QMessageBox::Ok);
    const QString path = QFileInfo(QFile::decodeName(FlashFilePath.c_str())).absoluteFilePath();
    box->setInformativeText(QStringLiteral("File: %1").arg(QDir::toNativeSeparators(path)));
    return box;
}

void QtPlatform::showMessageBox(std::string_view text, std::string_view caption,
                                MessageButtons buttons) {
    if (!shutdownRequested()) {
        buildMessageBox(text, caption, buttons)->exec();
    }
    if (shutdownRequested()) {
        // The program is ending on a signal: no one answers a box, so what it says (or said,
        // when the signal closed it) goes where it is kept.
        const QString path = QFileInfo(QFile::decodeName(FlashFilePath.c_str())).absoluteFilePath();
        std::fprintf(stderr, "kv410: %.*s: %.*s (file: %s)\n", int(caption.size()), caption.data(),
                     int(text.size()), text.data(),
                     QDir::toNativeSeparators(path).toLocal8Bit().constData());
        std::fflush(stderr);
    }
}

void QtPlatform::playAlarmSound() {
    ++beeps;
    QApplication::beep();
}

} // namespace kv410
