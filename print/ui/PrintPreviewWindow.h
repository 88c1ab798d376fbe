#pragma once

#include <QDialog>

#include <memory>

class QLabel;
class QPrinter;
class QPushButton;
class QScrollArea;

namespace orvel {

class COrvelDoc;
class PreviewPageWidget;
class TablePrintJob;

// "Seitenansicht": the pages of the printout as they will be printed, with
// the margins dotted. Each page is laid out and painted when it is shown,
// so that the first page of a printout of thousands of pages shows at once.
// "Drucken..." prints from here through the print dialog.
class PrintPreviewWindow : public QDialog
{
    Q_OBJECT
public:
    PrintPreviewWindow(const COrvelDoc &doc, QPrinter &printer, QWidget *parent = nullptr);
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

    const COrvelDoc &m_doc;
    QPrinter &m_printer;
    std::unique_ptr<TablePrintJob> m_job;
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
    void SetPage(const TablePrintJob *job, int number);
    void SetScale(double scale);
    double Scale() const { return m_scale; }
    // How many times a page was painted (the tests count).
    int Paints() const { return m_paints; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const TablePrintJob *m_job = nullptr;
    int m_number = 1;
    double m_scale = 0.1;
    int m_paints = 0;
};

// Shows the preview of the document's printout on the printer.
void PreviewTable(QWidget *parent, const COrvelDoc &doc, QPrinter &printer);

} // namespace orvel
