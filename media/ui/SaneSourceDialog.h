#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

class QListWidget;

namespace Ui {
class SaneSourceDialog;
}

namespace orvel {

// "Quelle auswählen": the scanner to use when more than one is connected.
// The list shows each device as its maker, model and SANE name.
class SaneSourceDialog : public QDialog
{
    Q_OBJECT
public:
    // `current`: the row selected at first (the device chosen last time);
    // the first one when it is out of range.
    SaneSourceDialog(const QStringList &sources, int current, QWidget *parent = nullptr);
    ~SaneSourceDialog() override;

    // The chosen row; -1 when none is selected.
    int Choice() const;
    QListWidget *SourceList() const;

private:
    std::unique_ptr<Ui::SaneSourceDialog> m_ui;
};

} // namespace orvel
