#pragma once

#include "form/ObjectProperties.h"
#include "platform/ui/PropertySheet.h"

#include <memory>

class QLabel;
class QLineEdit;

namespace Ui {
class EmbeddedDocPropPage;
}

namespace orvel {

// "Allgemeines" of an embedded document on the form: its name, type, size,
// whether it is embedded or linked, and the linked file. It only shows.
class EmbeddedDocPropPage : public PropertyPage
{
    Q_OBJECT
public:
    explicit EmbeddedDocPropPage(const EmbeddedDocumentTexts &texts, QWidget *parent = nullptr);
    ~EmbeddedDocPropPage() override;

    // For the tests.
    QLabel *Name() const;
    QLabel *Type() const;
    QLabel *Size() const;
    QLabel *Status() const;
    QLineEdit *Location() const;

private:
    std::unique_ptr<Ui::EmbeddedDocPropPage> m_ui;
};

} // namespace orvel
