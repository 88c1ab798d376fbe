#pragma once

#include "platform/PrinterMetrics.h"

#include <QDialog>

#include <functional>
#include <memory>

class QLabel;
class QPainter;
class QPrinter;
class QPushButton;
class QScrollArea;

namespace orvel {

class COrvelDoc;
class PreviewPageWidget;
class TablePrintJob;

// The pages of a printout as the preview shows them: their number, the
// printer they are laid out for, and what paints one of them (with the
// painter's origin at the top left of the printable area).
class PreviewSource
{
public:
    virtual ~PreviewSource() = default;
    virtual int PageCount() const = 0;
    virtual const PrinterMetrics &Printer() const = 0;
    virtual void PaintPreviewPage(QPainter &painter, int number) const = 0;
};

// "Seitenansicht": the pages of the printout as they will be printed, with
// the margins dotted. Each page is laid out and painted when it is shown,
// so that the first page of a printout of thousands of pages shows at once.
// "Drucken..." prints from here through the print dialog.
class PrintPreviewWindow : public QDialog
{
    Q_OBJECT
public:
    PrintPreviewWindow(const COrvelDoc &doc, QPrinter &printer, QWidget *parent = nullptr);
    // The preview of any printout; "Drucken..." calls `print`, which says
    // whether it printed (the window then closes).
    PrintPreviewWindow(std::unique_ptr<PreviewSource> source, std::function<bool(QWidget *parent)> print,
                       QWidget *parent = nullptr);
    ~PrintPreviewWindow() override;

    int CurrentPage() const { return m_page; }
    int PageCount() const;
    void ShowPage(int number);
    void Zoom(double factor);

    QPushButton *NextButton() const { return m_next; }
    QPushButton *PreviousButton() const { return m_previous; }
    QPushButton *PrintButton() const { return m_print; }
    PreviewPageWidget *PageWidget() const { return m_pageWidget; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void updateControls();

    std::unique_ptr<PreviewSource> m_source;
    std::function<bool(QWidget *)> m_printPages;
    int m_page = 1;
    QScrollArea *m_scroll;
    PreviewPageWidget *m_pageWidget;
    QPushButton *m_previous;
    QPushButton *m_next;
    QPushButton *m_zoomIn;
    QPushButton *m_zoomOut;
    QPushButton *m_print;
    QPushButton *m_close;
    QLabel *m_pageLabel;
};

// One page on a sheet of paper, scaled.
class PreviewPageWidget : public QWidget
{
    Q_OBJECT
public:
    explicit PreviewPageWidget(QWidget *parent = nullptr);
    void SetPage(const PreviewSource *source, int number);
    void SetScale(double scale);
    double Scale() const { return m_scale; }
    // How many times a page was painted (the tests count).
    int Paints() const { return m_paints; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const PreviewSource *m_source = nullptr;
    int m_number = 1;
    double m_scale = 0.1;
    int m_paints = 0;
};

// Shows the preview of the document's printout on the printer.
void PreviewTable(QWidget *parent, const COrvelDoc &doc, QPrinter &printer);

} // namespace orvel
