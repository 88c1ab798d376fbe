#pragma once

#include "media/Lead.h"

#include <QFrame>

namespace orvel {

// A visible imaging control: shows the bitmap of its own CLead inside a
// sunken frame, at the display rectangle the control holds (its whole
// window when none is set).
class PicturePreview : public QFrame
{
    Q_OBJECT
public:
    explicit PicturePreview(QWidget *parent = nullptr);

    CLead &Lead() { return m_lead; }

    // Sets the display rectangle so that the whole bitmap shows: at its own
    // size when it fits the window, else scaled down to the window keeping
    // its proportions; centred either way. Repaints.
    void FitPicture();
    // Where the bitmap is drawn, in widget pixels; empty without a bitmap.
    QRect PictureRect();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    CLead m_lead;
};

} // namespace orvel
