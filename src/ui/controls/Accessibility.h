#pragma once

#include <QString>

// Qt's accessibility factory matches widgets by class name, and the adapters that change what a
// Qt widget is (an option button that never checks itself, a status bar built from labels, a
// label whose text may hold '&') need interfaces of their own to say what they are. Installs
// them once; every adapter constructor that needs them calls this.
void installAccessibility();

class QWidget;

// Has a screen reader read the widget out now, wherever the focus is: a notification that
// appears (the event Orca presents for a notification whatever has the focus).
void announce(QWidget* widget);

// A tooltip that shows the text as it stands: Qt guesses rich text for a tooltip that looks like
// markup, so outside text (paths, device names) is escaped into a rich-text paragraph.
QString plainToolTip(const QString& text);
