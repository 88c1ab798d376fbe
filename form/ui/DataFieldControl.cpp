#include "form/ui/DataFieldControl.h"

#include "document/OrvelDoc.h"
#include "form/DrawEdit.h"
#include "form/ui/DesignerHost.h"
#include "form/ui/FormDesigner.h"
#include "form/ui/FormView.h"
#include "platform/Codepage.h"
#include "platform/gfx/FontConversion.h"
#include "platform/gfx/PainterGdi.h"
#include "platform/ui/CellEditor.h"
#include "platform/ui/CommandRouter.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/FieldType.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

namespace orvel {

namespace {

// The label's width as the field draws it, measured in its font.
int labelWidth(CDrawEdit &field, const CDataTable &table)
{
    if (field.showFieldName == 0)
        return 0;
    QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    CPainterDC dc(painter);
    RECT label{};
    field.ValueArea(&dc, &table, &label);
    return label.right - label.left;
}

QFont fieldFont(const CDrawEdit &field, const QWidget *on)
{
    return LogFontToQFont(field.font, on->logicalDpiY());
}

// The caption of a link: what stands before the first comma.
AnsiString linkCaption(AnsiView value)
{
    return AnsiString(value.substr(0, std::min(value.find(','), value.size())));
}

// Screen readers announce the control by the name of its field.
QString accessibleFieldName(const CDrawEdit &field, const CFormDesigner &designer)
{
    const CDataTable &table = designer.GetDocument().GetTable();
    if (field.fieldIndex < 0 || field.fieldIndex >= table.GetFieldCount())
        return {};
    return AnsiToQString(table.GetPlainFieldName(field.fieldIndex));
}

class EditControl final : public DataFieldControl
{
public:
    EditControl(CDrawEdit &field, CFormDesigner &designer, const QRect &area)
        : DataFieldControl(field, designer)
    {
        QWidget *viewport = designer.GetView().viewport();
        const QFont font = fieldFont(field, viewport);
        const QFontMetrics metrics(font);
        // Room for two lines makes a multi-line box that takes Enter.
        CellEditor::Style style;
        style.multiLine = area.height() >= 2 * (metrics.height() + metrics.leading());
        style.enterBreaksLine = true;
        if (field.drawFlags & DT_CENTER)
            style.align = CellEditor::Align::Centre;
        else if (field.drawFlags & DT_RIGHT)
            style.align = CellEditor::Align::Right;

        CellEditor::Callbacks callbacks;
        callbacks.changed = [&designer] { designer.OnEditorChanged(); };
        // Enter in a one-line box goes on to the next field, as Tab does.
        callbacks.finished = [&designer] { designer.SelectNext(true); };
        callbacks.cancelled = [&designer] { designer.OnEditorCancelled(); };
        callbacks.navigate = [&designer](QKeyEvent *event) {
            if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
                designer.SelectNext(event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier));
                return true;
            }
            return false;
        };
        m_editor = CellEditor::Create(style, viewport, font, std::move(callbacks));
        QWidget *widget = m_editor->widget();
        widget->setObjectName(QStringLiteral("DataFieldEdit"));
        widget->setAccessibleName(accessibleFieldName(field, designer));
        widget->setGeometry(area);
        Refresh();
        widget->show();
        widget->setFocus();
    }
    ~EditControl() override
    {
        if (m_editor) {
            // The control may be the one calling (Tab in it): it goes once
            // control has left it.
            QWidget *widget = m_editor.release()->widget();
            widget->hide();
            widget->deleteLater();
        }
    }

    QWidget *Widget() const override { return m_editor->widget(); }
    int Id() const override { return kEditId; }
    AnsiString Text() const override { return m_editor->text(); }
    void Refresh() override
    {
        const COrvelDoc &doc = m_designer.GetDocument();
        const CDataRecord *record = doc.GetTable().GetRecord(m_designer.GetHost().CurrentRecord());
        if (record == nullptr)
            return;
        m_editor->setText(AnsiView(record->GetDisplayValue(m_field.fieldIndex)));
        m_editor->selectAll();
    }

private:
    std::unique_ptr<CellEditor> m_editor;
};

class ButtonControl final : public DataFieldControl
{
public:
    ButtonControl(CDrawEdit &field, CFormDesigner &designer, const QRect &area, int id)
        : DataFieldControl(field, designer)
        , m_id(id)
    {
        QWidget *viewport = designer.GetView().viewport();
        m_button = new QPushButton(viewport);
        m_button->setObjectName(id == kLinkButtonId ? QStringLiteral("LinkButton") : QStringLiteral("MemoButton"));
        m_button->setFont(fieldFont(field, viewport));
        m_button->setAccessibleName(accessibleFieldName(field, designer));
        m_button->setGeometry(area);
        m_button->setFocusPolicy(Qt::StrongFocus);
        QObject::connect(m_button, &QPushButton::clicked, m_button, [&designer, id] { designer.RunCommand(id); });
        m_button->installEventFilter(&m_keys);
        m_keys.designer = &designer;
        Refresh();
        m_button->show();
        m_button->setFocus();
    }
    ~ButtonControl() override
    {
        m_button->hide();
        m_button->deleteLater();
    }

    QWidget *Widget() const override { return m_button; }
    int Id() const override { return m_id; }
    AnsiString Text() const override { return QStringToAnsi(m_button->text()); }
    void Refresh() override
    {
        const CDataTable &table = m_designer.GetDocument().GetTable();
        AnsiString caption;
        if (m_id == kMemoButtonId) {
            caption = AnsiString(table.GetFieldName(m_field.fieldIndex));
        } else if (const CDataRecord *record = table.GetRecord(m_designer.GetHost().CurrentRecord())) {
            caption = linkCaption(record->GetRawValue(m_field.fieldIndex));
        }
        // A button caption takes "&" as its mnemonic sign.
        m_button->setText(AnsiToQString(caption).replace(u'&', QStringLiteral("&&")));
        // The commands behind the buttons may not be there yet.
        CCmdUI state(m_id);
        m_button->setEnabled(m_designer.CCmdTarget::OnCmdMsg(m_id, &state) && state.IsEnabled());
    }

private:
    // Tab and Shift+Tab walk the fields from a button too.
    struct Keys : QObject
    {
        CFormDesigner *designer = nullptr;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() != QEvent::KeyPress)
                return false;
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab)
                return false;
            designer->SelectNext(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
    };

    int m_id;
    QPushButton *m_button = nullptr;
    Keys m_keys;
};

} // namespace

QRect DataFieldControl::EditRect(const QRect &field, int label, bool showFieldName)
{
    const int left = field.left() + 1 + (showFieldName ? label + 7 : 2);
    // QRect's right and bottom are inclusive: the old right edge minus one.
    return QRect(QPoint(left, field.top() + 3), QPoint(field.right() + 1 - 3 - 1, field.bottom() + 1 - 3 - 1));
}

QRect DataFieldControl::ButtonRect(const QRect &field, int label, bool showFieldName)
{
    QRect area = field.adjusted(showFieldName ? label + 5 : 0, 0, 1, 1);
    if (area.width() <= 0)
        area.setWidth(0);
    return area;
}

std::unique_ptr<DataFieldControl> DataFieldControl::Create(CDrawEdit &field, CFormDesigner &designer)
{
    const CDataTable &table = designer.GetDocument().GetTable();
    const int record = designer.GetHost().CurrentRecord();
    if (table.GetRecord(record) == nullptr || field.fieldIndex < 0 || field.fieldIndex >= table.GetFieldCount())
        return nullptr;
    const QRect client = designer.FormToClient(field.GetNormalizedPosition());
    const int type = table.GetFieldType(field.fieldIndex);
    switch (type) {
    case FT_TEXT:
    case FT_NUMERIC:
    case FT_DATE: {
        const QRect area = EditRect(client, labelWidth(field, table), field.showFieldName != 0);
        if (area.width() <= 0 || area.height() <= 0)
            return nullptr; // no room right of the label
        return std::make_unique<EditControl>(field, designer, area);
    }
    case FT_LINK: {
        const QRect area = ButtonRect(client, labelWidth(field, table), field.showFieldName != 0);
        if (area.width() <= 0)
            return nullptr;
        return std::make_unique<ButtonControl>(field, designer, area, kLinkButtonId);
    }
    case FT_MEMO:
        return std::make_unique<ButtonControl>(field, designer, client.adjusted(0, 0, 1, 1), kMemoButtonId);
    default:
        return nullptr;
    }
}

void DataFieldControl::PassPress(QPoint client)
{
    QWidget *widget = Widget();
    const QPoint local = widget->mapFrom(widget->parentWidget(), client);
    if (!widget->rect().contains(local))
        return;
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(local), QPointF(widget->mapToGlobal(local)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    // The release comes to the view, whose mouse the press took.
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(local), QPointF(widget->mapToGlobal(local)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

} // namespace orvel
