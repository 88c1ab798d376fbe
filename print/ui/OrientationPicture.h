#pragma once

#include <QWidget>

namespace orvel {

// The little sheet beside the orientation buttons: upright for portrait,
// on its side for landscape, with a folded corner and a few lines of text.
class OrientationPicture : public QWidget
{
    Q_OBJECT
public:
    explicit OrientationPicture(QWidget *parent = nullptr);

    void SetLandscape(bool landscape);
    bool IsLandscape() const { return m_landscape; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_landscape = false;
};

} // namespace orvel
