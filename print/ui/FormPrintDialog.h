#pragma once

#include "print/ui/FormPrintJob.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QPushButton;
class QRadioButton;

namespace Ui {
class FormPrintDialog;
}

namespace orvel {

class COrvelDoc;

// "Formular drucken": which records (current, marked, all), one or several
// per page, scaled to fit or at 100 %; then the print dialog or the preview.
class FormPrintDialog : public QDialog
{
    Q_OBJECT
public:
    enum class Action { Print, Preview };

    FormPrintDialog(const COrvelDoc &doc, int currentRecord, QWidget *parent = nullptr);
    ~FormPrintDialog() override;

    FormPrintChoice Choice() const;
    Action ChosenAction() const { return m_action; }

    QRadioButton *CurrentButton() const;
    QRadioButton *MarkedButton() const;
    QRadioButton *AllButton() const;
    QCheckBox *SeveralBox() const;
    QCheckBox *ActualSizeBox() const;
    QPushButton *PrintButton() const;
    QPushButton *PreviewButton() const;

private:
    std::unique_ptr<Ui::FormPrintDialog> m_ui;
    int m_currentRecord;
    Action m_action = Action::Print;
};

} // namespace orvel
