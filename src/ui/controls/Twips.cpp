#include "Twips.h"

#include <QWidget>

void placeTwips(QWidget* w, int left, int top, int width, int height)
{
    w->setGeometry(twips(left), twips(top), twips(width), twips(height));
}

void widenToFit(QWidget* w)
{
    w->resize(qMax(w->width(), w->sizeHint().width()), w->height());
}

