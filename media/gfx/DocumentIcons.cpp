#include "media/gfx/DocumentIcons.h"

#include "form/EmbeddedItem.h"
#include "platform/gfx/ImageBitmap.h"

#include <QHash>
#include <QIcon>
#include <QImage>
#include <QMimeDatabase>
#include <QPainter>
#include <QPainterPath>

namespace orvel {

namespace {

// A sheet with a folded corner and a few lines of text.
QImage DrawnSheet(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal left = size * 0.2, right = size * 0.8, top = size * 0.08, bottom = size * 0.92;
    const qreal fold = size * 0.22;
    QPainterPath sheet;
    sheet.moveTo(left, top);
    sheet.lineTo(right - fold, top);
    sheet.lineTo(right, top + fold);
    sheet.lineTo(right, bottom);
    sheet.lineTo(left, bottom);
    sheet.closeSubpath();
    painter.setPen(QPen(QColor(90, 90, 90), std::max(1.0, size / 32.0)));
    painter.setBrush(Qt::white);
    painter.drawPath(sheet);
    QPainterPath corner;
    corner.moveTo(right - fold, top);
    corner.lineTo(right - fold, top + fold);
    corner.lineTo(right, top + fold);
    painter.setBrush(QColor(220, 220, 220));
    painter.drawPath(corner);
    painter.setPen(QPen(QColor(70, 110, 180), std::max(1.0, size / 24.0)));
    for (int line = 0; line < 4; ++line) {
        const qreal y = top + fold + size * 0.12 * (line + 1);
        painter.drawLine(QPointF(left + size * 0.1, y), QPointF(right - size * (line % 2 ? 0.18 : 0.1), y));
    }
    return image;
}

BitmapPtr MakeIcon(const QString &mimeType, int size)
{
    QIcon icon;
    const QMimeType type = QMimeDatabase().mimeTypeForName(mimeType);
    if (type.isValid()) {
        icon = QIcon::fromTheme(type.iconName());
        if (icon.isNull())
            icon = QIcon::fromTheme(type.genericIconName());
    }
    QImage image = icon.isNull() ? QImage() : icon.pixmap(size, size).toImage();
    if (image.isNull() || image.size() != QSize(size, size))
        image = image.isNull() ? DrawnSheet(size)
                               : image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return ImageBitmap::Make(std::move(image));
}

} // namespace

BitmapPtr DocumentIconBitmap(const QString &mimeType, int size)
{
    if (size <= 0 || size > 256)
        return nullptr;
    static QHash<QString, BitmapPtr> cache;
    const QString key = mimeType + u'/' + QString::number(size);
    auto found = cache.constFind(key);
    if (found != cache.constEnd())
        return *found;
    BitmapPtr icon = MakeIcon(mimeType, size);
    cache.insert(key, icon);
    return icon;
}

void RegisterDocumentIcons()
{
    SetDocumentIconSource(&DocumentIconBitmap);
}

} // namespace orvel
