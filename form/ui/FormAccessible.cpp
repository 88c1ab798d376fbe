#include "form/ui/FormAccessible.h"

#include "document/OrvelDoc.h"
#include "form/DrawEdit.h"
#include "form/ui/DataFieldControl.h"
#include "form/ui/DesignerHost.h"
#include "form/ui/FormDesigner.h"
#include "form/ui/FormView.h"
#include "platform/Codepage.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/FieldType.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

#include <algorithm>
#include <vector>

namespace orvel {

namespace {

// The data fields of the form, in the order of the objects (the order Tab
// walks them).
std::vector<CDrawEdit *> dataFields(const CFormView &view)
{
    std::vector<CDrawEdit *> fields;
    for (const auto &object : view.Document().GetForm().GetObjects())
        if (auto *field = dynamic_cast<CDrawEdit *>(object.get()))
            fields.push_back(field);
    return fields;
}

// One data field, by its place among the form's data fields; it reads all
// else from the view when asked.
class FormFieldAccessible : public QAccessibleInterface
{
public:
    FormFieldAccessible(CFormView *view, int index)
        : m_view(view)
        , m_index(index)
    {}

    bool isValid() const override { return field() != nullptr; }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_view.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

    QAccessible::Role role() const override
    {
        const CDrawEdit *f = field();
        if (f == nullptr)
            return QAccessible::NoRole;
        switch (f->GetFieldType(&table())) {
        case FT_PICTURE:
            return QAccessible::Graphic;
        case FT_MEMO:
        case FT_LINK:
        case FT_OLE:
            return QAccessible::Button;
        default:
            return QAccessible::EditableText;
        }
    }

    QString text(QAccessible::Text t) const override
    {
        const CDrawEdit *f = field();
        if (f == nullptr || f->fieldIndex < 0 || f->fieldIndex >= table().GetFieldCount())
            return {};
        switch (t) {
        case QAccessible::Name:
            return AnsiToQString(table().GetPlainFieldName(f->fieldIndex));
        case QAccessible::Value:
            return value(*f);
        case QAccessible::Description: {
            const int record = m_view->Designer().GetHost().CurrentRecord();
            return record < 0 ? QString() : LoadQString(ids::kAccessibleRecord).arg(record + 1);
        }
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override
    {
        CDrawEdit *f = field();
        if (f == nullptr)
            return {};
        const QRect client = m_view->Designer().FormToClient(f->GetNormalizedPosition());
        const QRect shown = client & m_view->viewport()->rect();
        if (shown.isEmpty())
            return {};
        return QRect(m_view->viewport()->mapToGlobal(shown.topLeft()), shown.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        CDrawEdit *f = field();
        if (f == nullptr) {
            s.invalid = true;
            return s;
        }
        s.focusable = !m_view->IsDesignMode();
        s.selectable = true;
        s.selected = m_view->Designer().IsSelected(f);
        s.focused = s.selected && m_view->hasFocus();
        s.readOnly = !IsDataType(f->GetFieldType(&table()));
        if (rect().isEmpty()) {
            s.invisible = true;
            s.offscreen = true;
        }
        return s;
    }

private:
    CDataTable &table() const { return m_view->Document().GetTable(); }

    CDrawEdit *field() const
    {
        if (!m_view)
            return nullptr;
        const std::vector<CDrawEdit *> fields = dataFields(*m_view);
        return m_index < int(fields.size()) ? fields[std::size_t(m_index)] : nullptr;
    }

    QString value(const CDrawEdit &f) const
    {
        const int type = f.GetFieldType(&table());
        if (IsMediaType(type))
            return QLatin1Char('[') + LoadQString(FieldTypeNameId(type)) + QLatin1Char(']');
        const CDataRecord *record = table().GetRecord(m_view->Designer().GetHost().CurrentRecord());
        if (record == nullptr)
            return {};
        AnsiString buffer;
        return AnsiToQString(record->GetDisplayValue(f.fieldIndex, buffer));
    }

    QPointer<CFormView> m_view;
    int m_index;
};

class FormAccessible : public QAccessibleWidget
{
public:
    explicit FormAccessible(CFormView *view)
        : QAccessibleWidget(view, QAccessible::Form)
    {}
    ~FormAccessible() override
    {
        for (const QAccessible::Id id : std::as_const(m_fields))
            QAccessible::deleteAccessibleInterface(id);
    }

    QString text(QAccessible::Text t) const override
    {
        QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty())
            text = view()->Document().GetTitle();
        return text;
    }

    // The data fields, then the control over the selected one (when there
    // is one).
    int childCount() const override { return fieldCount() + (control() ? 1 : 0); }
    QAccessibleInterface *child(int index) const override
    {
        const int fields = fieldCount();
        if (index >= 0 && index < fields)
            return fieldAt(index);
        if (index == fields && control())
            return QAccessible::queryAccessibleInterface(control());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (int i = 0; i < childCount(); ++i)
            if (this->child(i) == child)
                return i;
        return -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        for (int i = childCount() - 1; i >= 0; --i) {
            QAccessibleInterface *c = child(i);
            if (c != nullptr && c->rect().contains(x, y))
                return c;
        }
        return nullptr;
    }
    QAccessibleInterface *focusChild() const override
    {
        if (QWidget *widget = control(); widget != nullptr && widget->hasFocus())
            return QAccessible::queryAccessibleInterface(widget);
        const std::vector<CDrawEdit *> fields = dataFields(*view());
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (view()->Designer().IsSelected(fields[i]))
                return fieldAt(int(i));
        return nullptr;
    }

private:
    CFormView *view() const { return static_cast<CFormView *>(widget()); }
    int fieldCount() const { return int(dataFields(*view()).size()); }
    QWidget *control() const
    {
        const DataFieldControl *editor = view()->Designer().GetEditor();
        return editor ? editor->Widget() : nullptr;
    }
    QAccessibleInterface *fieldAt(int index) const
    {
        const auto found = m_fields.constFind(index);
        if (found != m_fields.constEnd())
            return QAccessible::accessibleInterface(*found);
        auto *field = new FormFieldAccessible(view(), index);
        m_fields.insert(index, QAccessible::registerAccessibleInterface(field));
        return field;
    }

    mutable QHash<int, QAccessible::Id> m_fields;
};

QAccessibleInterface *formFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("orvel::CFormView") && object != nullptr && object->isWidgetType())
        return new FormAccessible(static_cast<CFormView *>(object));
    return nullptr;
}

} // namespace

void InstallFormAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(formFactory);
        return true;
    }();
    (void)installed;
}

} // namespace orvel
