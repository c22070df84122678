// Renders an SVG icon into a square PNG of the given size, so the installed
// bitmap icons come from the one drawing at build time.
// Usage: tracelo-render-icon IN.svg OUT.png SIZE
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char* argv[])
{
    if (argc != 4)
    {
        std::fputs("uso: tracelo-render-icon IN.svg OUT.png LATO\n", stderr);
        return 2;
    }
    char* pszEnd = nullptr;
    const long nSize = std::strtol(argv[3], &pszEnd, 10);
    if (*argv[3] == '\0' || *pszEnd != '\0' || nSize < 1 || nSize > 1024)
    {
        std::fprintf(stderr, "tracelo-render-icon: lato non valido: %s\n", argv[3]);
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid())
    {
        std::fprintf(stderr, "tracelo-render-icon: SVG non leggibile: %s\n", argv[1]);
        return 1;
    }
    QImage image(static_cast<int>(nSize), static_cast<int>(nSize), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG"))
    {
        std::fprintf(stderr, "tracelo-render-icon: impossibile scrivere %s\n", argv[2]);
        return 1;
    }
    return 0;
}
