#pragma once

#include <QIcon>
#include <QPixmap>

// The program's picture: an orienteering control flag, drawn rather than shipped.
QPixmap ControlFlagPixmap(int size);
QIcon ProgramIcon();
