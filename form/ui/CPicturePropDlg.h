#pragma once

#include "form/ObjectProperties.h"
#include "platform/ui/PropertySheet.h"

#include <memory>

class QLabel;
class QLineEdit;

namespace Ui {
class CPicturePropDlg;
}

namespace orvel {

// "Allgemeines" of a picture object: its file, type, size on the form and
// of its own, resolution, colours and whether it is embedded. It only shows.
class CPicturePropDlg : public PropertyPage
{
    Q_OBJECT
public:
    explicit CPicturePropDlg(const PicturePageTexts &texts, QWidget *parent = nullptr);
    ~CPicturePropDlg() override;

    // For the tests.
    QLineEdit *FileName() const;
    QLabel *FileType() const;
    QLabel *Size() const;
    QLabel *OriginalSize() const;
    QLabel *Resolution() const;
    QLabel *Colors() const;
    QLabel *Status() const;

private:
    std::unique_ptr<Ui::CPicturePropDlg> m_ui;
};

} // namespace orvel
