#pragma once

#include <QString>
#include <pcap/pcap.h>

// What a companion tool answers to --version, in the viewer's form: the
// program and its version, then the libraries it runs on. VANTOR_VERSION is
// set by the build.
inline QString toolVersionText(const char* program) {
    return QStringLiteral("%1 %2\nQt %3, %4\n")
        .arg(QLatin1String(program), QStringLiteral(VANTOR_VERSION),
             QString::fromLatin1(qVersion()), QString::fromLatin1(pcap_lib_version()));
}
