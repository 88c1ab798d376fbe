#pragma once

#include "document/UpdateHint.h"

#include <QString>
#include <QWidget>

#include <cstdint>

namespace orvel {

class CDataTable;
class COrvelDoc;

// The form side of a view until the form view arrives: the form's
// background, without objects, in form and in design mode. It lets the
// view's mode switches, record moves and status text work end to end.
class FormViewPlaceholder : public QWidget
{
    Q_OBJECT
public:
    FormViewPlaceholder(COrvelDoc &doc, QWidget *parent = nullptr);

    // Each switch into form mode and each change of the design mode.
    void Initialise();
    void SetDesignMode(bool design);
    bool IsDesignMode() const { return m_design; }
    // A document hint passed on by the view.
    void OnUpdate(const UpdateHint &hint);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    COrvelDoc &m_doc;
    bool m_design = false;
};

} // namespace orvel
