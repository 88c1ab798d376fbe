#pragma once

#include "form/DrawObj.h"

#include <QDialog>

#include <memory>
#include <vector>

class QListWidget;
class QPushButton;

namespace Ui {
class FieldDefinitionsDialog;
}

namespace orvel {

class COrvelDoc;

// "Datenfelder festlegen": adds, changes and deletes the document's fields
// at once (every window follows), and reorders them by dragging. The new
// order is applied by "Schließen"; the window's close box keeps every other
// change but not the order.
class FieldDefinitionsDialog : public QDialog
{
    Q_OBJECT
public:
    // New fields get their data fields in `colors`.
    FieldDefinitionsDialog(COrvelDoc &doc, const DrawColors &colors, QWidget *parent = nullptr);
    ~FieldDefinitionsDialog() override;

    // "Schließen": the order of the list becomes the fields' order.
    void accept() override;

    // The display position (in the table as it is now) of each entry, in
    // the order of the list.
    std::vector<int> ListedPositions() const;

    QListWidget *FieldList() const;
    QPushButton *NewButton() const;
    QPushButton *DeleteButton() const;
    QPushButton *PropertiesButton() const;
    QPushButton *CloseButton() const;

private:
    void newField();
    void deleteField();
    void editField();
    void updateButtons();

    std::unique_ptr<Ui::FieldDefinitionsDialog> m_ui;
    COrvelDoc &m_doc;
    DrawColors m_colors;
};

// Runs the dialog; open edits of the views are stored first.
void RunFieldDefinitionsDialog(QWidget *parent, COrvelDoc &doc, const DrawColors &colors);

} // namespace orvel
