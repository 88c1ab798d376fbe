#pragma once

#include <QDialog>

#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;

namespace orvel {

class TipReader;

// "Tip des Tages": one tip at a time from "tips.txt", going on where the
// last one stopped. The settings (section "Tip") keep whether it shows at
// start ("StartUp" 0), where the next tip is read ("FilePos") and the file's
// time ("TimeStamp"), by which a replaced file starts at its first tip.
class TipDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TipDialog(QWidget *parent = nullptr);
    // Keeps the position of the next tip, also after Escape.
    ~TipDialog() override;

    // Whether the settings ask for the tip at start.
    static bool ShowAtStartUp();

    QString TipText() const;
    QCheckBox *StartUpBox() const { return m_startUp; }
    QPushButton *NextButton() const { return m_next; }
    QPushButton *CloseButton() const { return m_close; }

private:
    void showNext();
    void closeTips();

    std::unique_ptr<TipReader> m_reader;
    QLabel *m_tip = nullptr;
    QCheckBox *m_startUp = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_close = nullptr;
};

} // namespace orvel
