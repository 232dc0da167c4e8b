#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

// Whether this process's network namespace has no interface but loopback,
// as in the test run's namespace: only then may tests send multicast or to
// private addresses, which cannot leave the machine there.
inline bool onlyLoopbackInterfaces() {
    // /proc/net/dev lists the interfaces of the namespace.
    QFile dev("/proc/net/dev");
    if (!dev.open(QIODevice::ReadOnly)) {
        return false;
    }
    QStringList interfaces;
    for (const QByteArray& line : dev.readAll().split('\n').mid(2)) {
        if (line.contains(':')) {
            interfaces << QString::fromUtf8(line.left(line.indexOf(':')).trimmed());
        }
    }
    return interfaces == QStringList{"lo"};
}
