#include "Appearance.h"

#include <QApplication>
#include <QProxyStyle>

#include <QStringList>

QFont windowFont(bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    font.setBold(bold);
    return font;
}

QFont terminalFont()
{
    QFont font;
    // FreeMono, a Courier-like face, comes first where it is installed: it has a picture for
    // every control byte (U+2400 to U+2421), which the usual monospace fonts lack.
    font.setFamilies({QStringLiteral("FreeMono"), QStringLiteral("Courier New"),
                      QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")});
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPointSize(9);
    return font;
}

static void loadPictures()
{
    // The pictures live in the static library; register them before first use.
    static const bool loaded = [] {
        Q_INIT_RESOURCE(pictures);
        return true;
    }();
    Q_UNUSED(loaded);
}

QPixmap picture(const QString& name)
{
    loadPictures();
    return QPixmap(QStringLiteral(":/pictures/") + name);
}

QIcon programIcon()
{
    loadPictures();
    QIcon icon(QStringLiteral(":/pictures/terminal.png"));
    icon.addFile(QStringLiteral(":/pictures/terminal16.png"), QSize(16, 16));
    return icon;
}

QStyle* menuBarStyle()
{
    class NoAltTap : public QProxyStyle {
    public:
        int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                      QStyleHintReturn* data) const override
        {
            return hint == SH_MenuBar_AltKeyNavigation
                       ? 0
                       : QProxyStyle::styleHint(hint, option, widget, data);
        }
    };
    static NoAltTap* style = [] {
        auto* s = new NoAltTap;
        s->setParent(qApp);
        return s;
    }();
    return style;
}
