#include "print/ui/PrintPreviewWindow.h"

#include "print/ui/TablePrintJob.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

namespace orvel {

namespace {

constexpr double kMinScale = 0.02;
constexpr double kMaxScale = 2.0;

// The table's printout, with the margins dotted.
class TablePreviewSource final : public PreviewSource
{
public:
    TablePreviewSource(const COrvelDoc &doc, const QPrinter &printer)
        : m_job(doc, MetricsOfPrinter(printer), JobOptionsFor(doc))
    {}
    int PageCount() const override { return m_job.Layout().PageCount(); }
    const PrinterMetrics &Printer() const override { return m_job.Printer(); }
    void PaintPreviewPage(QPainter &painter, int number) const override
    {
        const PrinterMetrics &p = m_job.Printer();
        m_job.Painter().Paint(painter, m_job.Layout().Page(number), true, p.horzRes, p.vertRes);
    }

private:
    TablePrintJob m_job;
};

} // namespace

PreviewPageWidget::PreviewPageWidget(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setObjectName(QStringLiteral("PreviewPage"));
}

void PreviewPageWidget::SetPage(const PreviewSource *source, int number)
{
    m_source = source;
    m_number = number;
    SetScale(m_scale);
    update();
}

void PreviewPageWidget::SetScale(double scale)
{
    m_scale = std::clamp(scale, kMinScale, kMaxScale);
    if (m_source != nullptr) {
        const PrinterMetrics &p = m_source->Printer();
        setFixedSize(int(p.physicalWidth * m_scale) + 16, int(p.physicalHeight * m_scale) + 16);
    }
    update();
}

void PreviewPageWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Dark));
    if (m_source == nullptr)
        return;
    ++m_paints;
    const PrinterMetrics &p = m_source->Printer();
    painter.translate(8, 8);
    painter.scale(m_scale, m_scale);
    painter.fillRect(QRect(0, 0, p.physicalWidth, p.physicalHeight), Qt::white);
    painter.translate(p.offsetX, p.offsetY);
    painter.setRenderHint(QPainter::TextAntialiasing);
    m_source->PaintPreviewPage(painter, m_number);
}

PrintPreviewWindow::PrintPreviewWindow(const COrvelDoc &doc, QPrinter &printer, QWidget *parent)
    : PrintPreviewWindow(
            std::make_unique<TablePreviewSource>(doc, printer),
            [&doc, &printer](QWidget *owner) { return PrintTable(owner, doc, printer); }, parent)
{}

PrintPreviewWindow::PrintPreviewWindow(std::unique_ptr<PreviewSource> source,
                                       std::function<bool(QWidget *parent)> print, QWidget *parent)
    : QDialog(parent)
    , m_source(std::move(source))
    , m_printPages(std::move(print))
    , m_scroll(new QScrollArea(this))
    , m_pageWidget(new PreviewPageWidget)
    , m_previous(new QPushButton(QStringLiteral("&Vorherige Seite"), this))
    , m_next(new QPushButton(QStringLiteral("&Nächste Seite"), this))
    , m_zoomIn(new QPushButton(QStringLiteral("Ver&größern"), this))
    , m_zoomOut(new QPushButton(QStringLiteral("Ver&kleinern"), this))
    , m_print(new QPushButton(QStringLiteral("&Drucken..."), this))
    , m_close(new QPushButton(QStringLiteral("&Schließen"), this))
    , m_pageLabel(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Seitenansicht"));
    setObjectName(QStringLiteral("PrintPreview"));
    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {m_print, m_previous, m_next, m_zoomIn, m_zoomOut, m_close}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addWidget(m_pageLabel);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_scroll, 1);
    m_scroll->setWidget(m_pageWidget);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);

    connect(m_previous, &QPushButton::clicked, this, [this] { ShowPage(m_page - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { ShowPage(m_page + 1); });
    connect(m_zoomIn, &QPushButton::clicked, this, [this] { Zoom(1.25); });
    connect(m_zoomOut, &QPushButton::clicked, this, [this] { Zoom(0.8); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_print, &QPushButton::clicked, this, [this] {
        if (m_printPages && m_printPages(this))
            accept();
    });

    // The window takes most of the screen; the page fits its height.
    QSize area(1000, 800);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        area = screen->availableSize() * 0.85;
    resize(area);
    const PrinterMetrics &p = m_source->Printer();
    const double fit = p.physicalHeight > 0 ? double(area.height() - 120) / p.physicalHeight : 0.1;
    m_pageWidget->SetScale(fit);
    ShowPage(1);
}

PrintPreviewWindow::~PrintPreviewWindow() = default;

int PrintPreviewWindow::PageCount() const
{
    return m_source ? m_source->PageCount() : 0;
}

void PrintPreviewWindow::ShowPage(int number)
{
    m_page = std::clamp(number, 1, std::max(1, PageCount()));
    m_pageWidget->SetPage(m_source.get(), m_page);
    updateControls();
}

void PrintPreviewWindow::Zoom(double factor)
{
    m_pageWidget->SetScale(m_pageWidget->Scale() * factor);
    updateControls();
}

void PrintPreviewWindow::updateControls()
{
    m_previous->setEnabled(m_page > 1);
    m_next->setEnabled(m_page < PageCount());
    m_zoomIn->setEnabled(m_pageWidget->Scale() < kMaxScale);
    m_zoomOut->setEnabled(m_pageWidget->Scale() > kMinScale);
    m_pageLabel->setText(QStringLiteral("Seite %1 von %2").arg(m_page).arg(PageCount()));
}

void PrintPreviewWindow::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_PageDown:
        ShowPage(m_page + 1);
        return;
    case Qt::Key_PageUp:
        ShowPage(m_page - 1);
        return;
    case Qt::Key_Home:
        ShowPage(1);
        return;
    case Qt::Key_End:
        ShowPage(PageCount());
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void PreviewTable(QWidget *parent, const COrvelDoc &doc, QPrinter &printer)
{
    PrintPreviewWindow window(doc, printer, parent);
    window.exec();
}

} // namespace orvel
