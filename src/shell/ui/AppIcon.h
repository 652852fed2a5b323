#pragma once

#include <QIcon>
#include <QPixmap>

// The program's icon: the PNGs made from the package's SVG, so the windows
// show the picture the desktop shows.
QIcon ProgramIcon();
QPixmap ProgramPixmap(int size);
