#include "shell/ColorIcons.h"

#include <QPainter>
#include <QPixmap>

QImage DrawColorDisc(int nSize, std::uint32_t crColor)
{
    QImage image(nSize, nSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    // Hard edges, as icons of this size are drawn: every pixel either the
    // colour, the outline or transparent.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(QColor(static_cast<int>(crColor & 0xFF),
                            static_cast<int>((crColor >> 8) & 0xFF),
                            static_cast<int>((crColor >> 16) & 0xFF)));
    painter.drawEllipse(QRect(0, 0, nSize - 1, nSize - 1));
    painter.end();
    return image;
}

QIcon MakeColorIcon(std::uint32_t crColor)
{
    QIcon icon;
    for (int nSize : {16, 32})
    {
        icon.addPixmap(QPixmap::fromImage(DrawColorDisc(nSize, crColor)));
    }
    return icon;
}
