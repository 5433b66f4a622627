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

class QStyle;

// The menu bar's style: the application's, except that Alt pressed and released alone does not
// put the keyboard into the menu bar. The toolkit takes an Alt chord for such a tap when the
// chord's key events reach it late (a screen reader running holds every key event for a round
// trip), so Alt+C could leave the operator in the menu bar instead of the pane. The menus keep
// their access keys (Alt+F, Alt+E, Alt+H).
QStyle* menuBarStyle();
