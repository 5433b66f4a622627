#pragma once

#include <QFont>

// The windows' default font (a sans-serif near MS Sans Serif 8.25 pt) and the terminal font.
QFont windowFont(bool bold = false);
QFont terminalFont();

#include <QIcon>
#include <QPixmap>

// One of the program's pictures by file name ("warning.png", "logo.png").
QPixmap picture(const QString& name);

// The window icon of frmMain and frmAbout, at 32 x 32 and 16 x 16.
QIcon programIcon();
