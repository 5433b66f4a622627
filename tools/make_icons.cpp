// Scales the window icon to the desktop's icon sizes: make-icons SOURCE.png SMALL.png OUTDIR.
// Each size is a whole multiple of the 32-pixel picture (or the 16-pixel one), scaled without
// smoothing so that the drawing stays as sharp as the window's own icon.

#include <QImage>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: make-icons ICON32.png ICON16.png OUTDIR\n");
        return 2;
    }
    const QImage large(QString::fromLocal8Bit(argv[1]));
    const QImage small(QString::fromLocal8Bit(argv[2]));
    if (large.isNull() || small.isNull())
        return 1;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QImage& from = size == 16 ? small : large;
        const QImage icon = from.convertToFormat(QImage::Format_ARGB32)
                                .scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        const QString path =
            QStringLiteral("%1/%2x%2.png").arg(QString::fromLocal8Bit(argv[3])).arg(size);
        if (!icon.save(path))
            return 1;
    }
    return 0;
}
