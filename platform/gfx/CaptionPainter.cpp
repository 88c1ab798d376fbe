#include "platform/gfx/CaptionPainter.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace orvel {

namespace {

// The room between the caption's edge and its buttons or icon.
constexpr int kEdge = 2;

// A raised caption button with its glyph, sunken while pressed.
void PaintButton(QPainter &painter, const QRect &rect, CaptionButton button, bool maximized, bool pressed,
                 const CaptionLook &look)
{
    if (rect.isEmpty())
        return;
    painter.fillRect(rect, look.buttonFace);
    const QColor outerLight = pressed ? Qt::black : look.buttonLight;
    const QColor outerDark = pressed ? look.buttonLight : QColor(Qt::black);
    const QColor innerDark = pressed ? look.buttonFace : look.buttonShadow;
    const QColor innerLight = pressed ? look.buttonShadow : look.buttonFace;
    const int l = rect.left(), t = rect.top(), r = rect.right(), b = rect.bottom();
    painter.setPen(outerLight);
    painter.drawLine(l, t, r - 1, t);
    painter.drawLine(l, t, l, b - 1);
    painter.setPen(outerDark);
    painter.drawLine(l, b, r, b);
    painter.drawLine(r, t, r, b);
    painter.setPen(innerLight);
    painter.drawLine(l + 1, t + 1, r - 2, t + 1);
    painter.drawLine(l + 1, t + 1, l + 1, b - 2);
    painter.setPen(innerDark);
    painter.drawLine(l + 1, b - 1, r - 1, b - 1);
    painter.drawLine(r - 1, t + 1, r - 1, b - 1);

    // The glyph in the face, moved by a pixel while pressed.
    QRect face = rect.adjusted(3, 3, -3, -3);
    if (pressed)
        face.translate(1, 1);
    const int unit = std::max(1, face.height() / 7);
    painter.setPen(Qt::NoPen);
    painter.setBrush(look.buttonText);
    switch (button) {
    case CaptionButton::Minimize:
        painter.drawRect(QRect(face.left() + unit, face.bottom() - 2 * unit + 1, face.width() - 3 * unit, 2 * unit));
        break;
    case CaptionButton::Maximize:
        if (!maximized) {
            const QRect box(face.left(), face.top(), face.width() - unit, face.height());
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(look.buttonText, unit, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            painter.drawRect(QRectF(box).adjusted(unit / 2.0, unit / 2.0, -unit / 2.0, -unit / 2.0));
            painter.fillRect(QRect(box.left(), box.top(), box.width(), 2 * unit), look.buttonText);
        } else {
            // Two windows, the front one lower left.
            const int w = face.width() * 3 / 4, h = face.height() * 3 / 4;
            const QRect back(face.right() - w - unit + 1, face.top(), w, h);
            const QRect front(face.left(), face.bottom() - h + 1, w, h);
            painter.setPen(QPen(look.buttonText, 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(back.adjusted(0, 0, -1, -1));
            painter.fillRect(QRect(back.left(), back.top(), back.width(), 2 * unit), look.buttonText);
            painter.fillRect(front, look.buttonFace);
            painter.drawRect(front.adjusted(0, 0, -1, -1));
            painter.fillRect(QRect(front.left(), front.top(), front.width(), 2 * unit), look.buttonText);
        }
        break;
    case CaptionButton::Close: {
        painter.setRenderHint(QPainter::Antialiasing, false);
        const QRect cross = face.adjusted(unit, 0, -unit, 0);
        const int size = std::min(cross.width(), cross.height());
        const QRect square(cross.left() + (cross.width() - size) / 2, cross.top() + (cross.height() - size) / 2, size,
                           size);
        for (int i = 0; i < size; ++i) {
            const int y = square.top() + i;
            painter.fillRect(QRect(square.left() + i, y, std::min(2, size - i), 1), look.buttonText);
            painter.fillRect(QRect(square.right() - i - 1, y, std::min(2, size - i), 1), look.buttonText);
        }
        break;
    }
    case CaptionButton::None:
        break;
    }
    painter.setBrush(Qt::NoBrush);
}

} // namespace

int CaptionLightness(QColor color)
{
    const int red = color.red(), green = color.green(), blue = color.blue();
    const int most = std::max({red, green, blue});
    const int least = std::min({red, green, blue});
    return ((most + least) * 240 + 255) / 510;
}

void PaintCaptionFade(QImage &image, QColor caption)
{
    const int width = image.width();
    const int height = image.height();
    if (width <= 0 || height <= 0)
        return;
    QPainter painter(&image);
    const int span = width * 5 / 6;
    painter.fillRect(QRect(span, 0, width - span, height), caption);
    const long long square = static_cast<long long>(span) * span;
    const int band = std::max(1, span / 64);
    int x = span;
    while (x > band) {
        x -= band;
        const long long distance = span - x;
        const auto fade = [&](int component) {
            return component - static_cast<int>(component * distance * distance / square);
        };
        painter.fillRect(QRect(x, 0, band, height),
                         QColor(fade(caption.red()), fade(caption.green()), fade(caption.blue())));
    }
    if (x > 0)
        painter.fillRect(QRect(0, 0, x, height), Qt::black);
}

CaptionButton CaptionLayout::ButtonAt(QPoint point) const
{
    if (close.contains(point))
        return CaptionButton::Close;
    if (maximize.contains(point))
        return CaptionButton::Maximize;
    if (minimize.contains(point))
        return CaptionButton::Minimize;
    return CaptionButton::None;
}

CaptionLayout LayoutCaption(QSize size, bool hasMinimize, bool hasMaximize)
{
    CaptionLayout layout;
    const int height = size.height();
    // Buttons a little wider than high, two pixels off the caption's edges.
    const int buttonHeight = std::max(1, height - 2 * kEdge);
    const int buttonWidth = buttonHeight + 2;
    const int iconSize = std::max(1, height - 2);
    layout.icon = QRect(kEdge, 1, iconSize, iconSize);
    layout.textLeft = layout.icon.right() + 1 + kEdge;

    int right = size.width() - kEdge;
    layout.close = QRect(right - buttonWidth, kEdge, buttonWidth, buttonHeight);
    right = layout.close.left() - kEdge;
    if (hasMaximize) {
        layout.maximize = QRect(right - buttonWidth, kEdge, buttonWidth, buttonHeight);
        right = layout.maximize.left();
    }
    if (hasMinimize) {
        layout.minimize = QRect(right - buttonWidth, kEdge, buttonWidth, buttonHeight);
        right = layout.minimize.left();
    }
    layout.textRight = std::max(layout.textLeft, right - kEdge);
    return layout;
}

QFont CaptionNameFont(const QFont &captionFont)
{
    QFont font(captionFont);
    font.setFamilies({QStringLiteral("Book Antiqua"), QStringLiteral("P052"), QStringLiteral("TeX Gyre Pagella"),
                      QStringLiteral("Palatino"), QStringLiteral("serif")});
    font.setStyleHint(QFont::Serif);
    font.setWeight(QFont::Bold);
    font.setItalic(false);
    return font;
}

QColor CaptionRestColor(const CaptionLook &look)
{
    if (!look.active)
        return look.inactiveText;
    return CaptionLightness(look.activeCaption) < 90 ? QColor(Qt::white) : look.activeText;
}

QImage PaintCaption(QSize size, const CaptionLook &look, qreal devicePixelRatio)
{
    QImage image(size * devicePixelRatio, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    PaintCaptionFade(image, look.active ? look.activeCaption : look.inactiveCaption);
    image.setDevicePixelRatio(devicePixelRatio);

    QPainter painter(&image);
    const CaptionLayout layout = LayoutCaption(size, look.hasMinimize, look.hasMaximize);
    if (!look.icon.isNull())
        painter.drawPixmap(layout.icon, look.icon);

    // The program's name in white, then the rest of the title right after
    // it, unless the name reaches the buttons already.
    // Fonts sized in points are fixed in pixels as the screen shows them,
    // so that the image draws them at the size they were measured at.
    const auto inPixels = [](QFont font) {
        const int pixels = QFontInfo(font).pixelSize();
        if (pixels > 0)
            font.setPixelSize(pixels);
        return font;
    };
    const QFont nameFont = inPixels(CaptionNameFont(look.captionFont));
    const QFont restFont = inPixels(look.captionFont);
    const QString name = look.title.left(look.nameLength);
    const QRect textRect(layout.textLeft, 0, layout.textRight - layout.textLeft, size.height());
    painter.setFont(nameFont);
    painter.setPen(Qt::white);
    const QFontMetrics nameMetrics(nameFont);
    const QString shownName = nameMetrics.elidedText(name, Qt::ElideRight, textRect.width());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shownName);
    const int nameEnd = textRect.left() + nameMetrics.horizontalAdvance(shownName);
    if (shownName == name && nameEnd < textRect.right() && look.title.size() > look.nameLength) {
        const QRect restRect(nameEnd, 0, textRect.right() + 1 - nameEnd, size.height());
        const QFontMetrics restMetrics(restFont);
        painter.setFont(restFont);
        painter.setPen(CaptionRestColor(look));
        painter.drawText(restRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         restMetrics.elidedText(look.title.mid(look.nameLength), Qt::ElideRight, restRect.width()));
    }

    PaintButton(painter, layout.minimize, CaptionButton::Minimize, false, look.pressed == CaptionButton::Minimize,
                look);
    PaintButton(painter, layout.maximize, CaptionButton::Maximize, look.maximized,
                look.pressed == CaptionButton::Maximize, look);
    PaintButton(painter, layout.close, CaptionButton::Close, false, look.pressed == CaptionButton::Close, look);
    return image;
}

} // namespace orvel
