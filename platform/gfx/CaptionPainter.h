#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QString>

namespace orvel {

// The main window's own title bar: a fade from black into the caption
// colour, the window's icon, the program's name in a bold serif and the rest
// of the title in the caption font, and the three caption buttons.

// The lightness of a colour on the 0 to 240 scale of the hue, lightness and
// saturation model.
int CaptionLightness(QColor color);

// Fills the image: the right sixth in the caption colour, left of it the
// colour fading to black in bands a sixty-fourth of the fade wide, black
// where the bands end.
void PaintCaptionFade(QImage &image, QColor caption);

enum class CaptionButton { None, Minimize, Maximize, Close };

// Where things go on a caption of the given size.
struct CaptionLayout
{
    QRect icon;
    QRect minimize; // empty without a minimise button
    QRect maximize; // empty without a maximise button
    QRect close;
    int textLeft = 0;
    int textRight = 0; // exclusive

    CaptionButton ButtonAt(QPoint point) const;
};

CaptionLayout LayoutCaption(QSize size, bool hasMinimize = true, bool hasMaximize = true);

struct CaptionLook
{
    bool active = true;
    QColor activeCaption;
    QColor inactiveCaption;
    QColor activeText;
    QColor inactiveText;
    QColor buttonFace;
    QColor buttonLight;
    QColor buttonShadow;
    QColor buttonText;
    QPixmap icon;
    QString title;
    // The first characters of the title, the program's name, are drawn
    // apart from the rest.
    int nameLength = 8;
    QFont captionFont;
    bool hasMinimize = true;
    bool hasMaximize = true;
    bool maximized = false;
    CaptionButton pressed = CaptionButton::None;
};

// The bold serif of the program's name, as high as the caption font:
// a Palatino-like face where one is installed, else the default serif.
QFont CaptionNameFont(const QFont &captionFont);

// The colour of the title after the program's name: an active caption too
// dark for its text colour (lightness below 90) gets white.
QColor CaptionRestColor(const CaptionLook &look);

// The caption as an image of `size` device-independent pixels.
QImage PaintCaption(QSize size, const CaptionLook &look, qreal devicePixelRatio = 1.0);

} // namespace orvel
