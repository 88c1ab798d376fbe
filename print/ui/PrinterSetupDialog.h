#pragma once

#include <QDialog>

#include <memory>

class QAbstractButton;
class QComboBox;
class QLabel;
class QPushButton;

namespace Ui {
class PrinterSetupDialog;
}

namespace orvel {

class SessionPrinter;
struct PaperOffer;

// "Drucker einrichten": the printer of this session with its paper size,
// bin and orientation. OK makes the choice the session printer's until the
// program ends (the active document's paper applies again when a window
// becomes active or the page setup opens). Without any printer installed
// the dialog says that printing goes to a PDF file.
class PrinterSetupDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PrinterSetupDialog(SessionPrinter &printer, QWidget *parent = nullptr);
    ~PrinterSetupDialog() override;

    void accept() override;

    QComboBox *PrinterBox() const;
    QComboBox *SizeBox() const;
    QComboBox *SourceBox() const;
    QAbstractButton *OrientationButton(bool landscape) const;
    QLabel *NoPrinterLabel() const;
    QPushButton *OkButton() const;

private:
    void showPaper(const PaperOffer &offer);
    void printerChosen();

    std::unique_ptr<Ui::PrinterSetupDialog> m_ui;
    SessionPrinter &m_printer;
};

// "Drucker &einrichten...": true after OK.
bool RunPrinterSetup(QWidget *parent);

} // namespace orvel
