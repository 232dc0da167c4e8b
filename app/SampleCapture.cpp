#include "app/SampleCapture.h"

#include "app/FormText.h"
#include "platform/InstallLayout.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QWidget>
#include <utility>

SampleCapture::SampleCapture(QString programFolder) : programFolder_(std::move(programFolder)) {}

QString SampleCapture::simulator() const {
    return InstallLayout::program(programFolder_, QStringLiteral("sensor-sim"));
}

QString SampleCapture::path() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/sample-street.pcap");
}

QString SampleCapture::ensure(QWidget* window, QString* error) {
    const QString target = path();
    if (QFileInfo(target).isFile()) {
        return target;
    }
    if (writing_ || !write(target, window, error)) {
        return QString();
    }
    return target;
}

bool SampleCapture::write(const QString& target, QWidget* window, QString* error) {
    const QString program = simulator();
    if (!QFileInfo(program).isExecutable()) {
        *error = trForm("The sample capture is written by sensor-sim, which should be at %1 "
                        "but is not.")
                     .arg(QDir::toNativeSeparators(program));
        return false;
    }
    if (!QDir().mkpath(QFileInfo(target).path())) {
        *error = trForm("The folder %1 cannot be created for the sample capture.")
                     .arg(QDir::toNativeSeparators(QFileInfo(target).path()));
        return false;
    }
    // Under its final name only once whole.
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);

    writing_ = true;
    QProcess simulator;
    simulator.setProgram(program);
    simulator.setArguments({QStringLiteral("--quiet"), QStringLiteral("--write-pcap"), part,
                            QStringLiteral("--frames"), QString::number(kFrames)});
    {
        QProgressDialog progress(trForm("Writing a sample capture of a simulated street..."),
                                 QString(), 0, 0, window);
        progress.setWindowTitle(trForm("Please wait a moment"));
        progress.setMinimumDuration(200);
        // The window's input waits, as while a capture loads.
        progress.setWindowModality(Qt::WindowModal);
        QEventLoop waiting;
        QObject::connect(&simulator, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished),
                         &waiting, &QEventLoop::quit);
        QObject::connect(&simulator, &QProcess::errorOccurred, &waiting,
                         [&waiting](QProcess::ProcessError e) {
                             if (e == QProcess::FailedToStart) {
                                 waiting.quit();
                             }
                         });
        simulator.start();
        progress.setValue(0);
        if (simulator.state() != QProcess::NotRunning) {
            waiting.exec();
        }
    }
    writing_ = false;

    const bool done = simulator.exitStatus() == QProcess::NormalExit &&
                      simulator.error() == QProcess::UnknownError && simulator.exitCode() == 0;
    if (!done || !QFile::rename(part, target)) {
        const QString said = QString::fromLocal8Bit(simulator.readAllStandardError()).trimmed();
        *error = trForm("The sample capture could not be written to %1.%2")
                     .arg(QDir::toNativeSeparators(target),
                          said.isEmpty() ? QString() : QStringLiteral("\n") + said);
        QFile::remove(part);
        return false;
    }
    return true;
}
