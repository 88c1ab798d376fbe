#pragma once

#include <QDialog>
#include <QSpinBox>

#include <memory>
#include <optional>

namespace Ui {
class GoToDialog;
}

namespace orvel {

// The record number box of "Gehe zu". Its arrows stay between 1 and the
// record count, but any number can be typed, so that a wrong one is
// answered with a message rather than silently clamped.
class RecordNumberSpinBox : public QSpinBox
{
    Q_OBJECT
public:
    explicit RecordNumberSpinBox(QWidget *parent = nullptr);
    void setRecordCount(int count) { m_count = count; }
    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;

private:
    int m_count = 1;
};

// "Gehe zu": the number of the record to show, 1-based.
class GoToDialog : public QDialog
{
    Q_OBJECT
public:
    GoToDialog(int currentRecord, int recordCount, QWidget *parent = nullptr);
    ~GoToDialog() override;

    // OK: a number outside 1 .. record count (or no number) shows message
    // 322, selects the text again and keeps the dialog open.
    void accept() override;

    // The chosen record, 0-based; valid after the dialog was accepted.
    int Record() const { return m_record; }
    RecordNumberSpinBox *NumberBox() const;

private:
    std::unique_ptr<Ui::GoToDialog> m_ui;
    int m_recordCount;
    int m_record = -1;
};

// "Gehe zu...": the dialog with `currentRecord` + 1 filled in; the new
// current record (0-based), or nothing when the user cancels.
std::optional<int> RunGoToDialog(QWidget *parent, int currentRecord, int recordCount);

} // namespace orvel
