#pragma once

#include <QString>

// Where an installed program finds its data: the share folder beside its
// bin folder (PREFIX/bin/vantor-viewer reads PREFIX/share/vantor-viewer), so
// an installation under any prefix, or unpacked anywhere, finds it without
// a fixed path and whatever the working directory.
namespace InstallLayout {

// The data folder for a program in `programFolder`; it may not exist.
QString dataFolder(const QString& programFolder);

} // namespace InstallLayout
