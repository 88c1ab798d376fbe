#pragma once

#include <QDialog>
#include <QSize>

#include <memory>
#include <optional>

class QLineEdit;

namespace Ui {
class NewSizeDialog;
}

namespace orvel {

// "Neue Größe": the width and height of a picture object in pixels, each a
// whole number from 1 to 3000.
class NewSizeDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kMinSide = 1;
    static constexpr int kMaxSide = 3000;

    NewSizeDialog(int width, int height, QWidget *parent = nullptr);
    ~NewSizeDialog() override;

    // OK: a field that holds no whole number (message 61712) or one outside
    // 1 to 3000 (message 61714) keeps the dialog open, with that field's
    // text selected; the width is checked first.
    void accept() override;

    // Valid after OK.
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    QLineEdit *WidthEdit() const;
    QLineEdit *HeightEdit() const;

private:
    std::unique_ptr<Ui::NewSizeDialog> m_ui;
    int m_width;
    int m_height;
};

// "Neue Größe..." on a picture of `width` × `height`; the new size, or
// nothing when the user cancels.
std::optional<QSize> RunNewSizeDialog(QWidget *parent, int width, int height);

} // namespace orvel
