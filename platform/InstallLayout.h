#pragma once

#include <QString>

// Where an installed program finds its data: the share folder beside its
// bin folder (PREFIX/bin/vantor-viewer reads PREFIX/share/vantor-viewer), so
// an installation under any prefix, or unpacked anywhere, finds it without
// a fixed path and whatever the working directory.
namespace InstallLayout {

// The data folder for a program in `programFolder`; it may not exist.
QString dataFolder(const QString& programFolder);

// Another program of the installation (`name`, e.g. "sensor-sim"), which
// lies beside the one in `programFolder`; it may not exist.
QString program(const QString& programFolder, const QString& name);

} // namespace InstallLayout
