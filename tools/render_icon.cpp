// ostrevo-render-icon SVG FOLDER SIZE...: renders the scalable application icon into
// FOLDER/<size>x<size>/apps/ostrevo.png for each size, the layout of the hicolor icon theme.
// Runs at build time, so the PNGs can never drift from the SVG.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: ostrevo-render-icon SVG FOLDER SIZE...\n");
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "ostrevo-render-icon: %s is no SVG image\n", argv[1]);
        return 1;
    }
    const QDir folder(QString::fromLocal8Bit(argv[2]));
    for (int i = 3; i < argc; ++i) {
        const int size = QString::fromLocal8Bit(argv[i]).toInt();
        if (size <= 0) {
            std::fprintf(stderr, "ostrevo-render-icon: %s is no size\n", argv[i]);
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        const QString sub = QStringLiteral("%1x%1/apps").arg(size);
        if (!folder.mkpath(sub) ||
            !image.save(folder.filePath(sub + QStringLiteral("/ostrevo.png")))) {
            std::fprintf(stderr, "ostrevo-render-icon: could not write the %d px icon\n", size);
            return 1;
        }
    }
    return 0;
}
