#pragma once

#include <QDialog>

#include <memory>

class QLineEdit;
class QPushButton;

namespace Ui {
class DialDialog;
}

namespace orvel {

// "Nummer wählen": the number to dial (at most 255 characters) and the name
// for the call log, both editable. OK stays disabled while the number holds
// no digit, since there would be nothing to dial.
class DialDialog : public QDialog
{
    Q_OBJECT
public:
    DialDialog(const QString &number, const QString &name, QWidget *parent = nullptr);
    ~DialDialog() override;

    QString Number() const;
    QString Name() const;

    QLineEdit *NumberEdit() const;
    QLineEdit *NameEdit() const;
    QPushButton *OkButton() const;

private:
    void updateOk();

    std::unique_ptr<Ui::DialDialog> m_ui;
};

} // namespace orvel
