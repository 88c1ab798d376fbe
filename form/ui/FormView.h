#pragma once

#include "document/UpdateHint.h"
#include "form/DrawContext.h"

#include <QAbstractScrollArea>
#include <QRect>
#include <QRegion>

#include <memory>

class QPainter;

namespace orvel {

class CFormDesigner;
class COrvelDoc;
class DesignerHost;

// The form of a database on screen: the 3000 x 3000 form at one unit per
// pixel (Qt's device pixel ratio keeps it sharp on high-resolution screens),
// scrolled by the view. It paints the background, the guide dots and the
// objects, and hands mouse, keys and context menus to its designer.
class CFormView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    CFormView(COrvelDoc &doc, DesignerHost &host, QWidget *parent = nullptr);
    ~CFormView() override;

    CFormDesigner &Designer() const { return *m_designer; }
    COrvelDoc &Document() const { return m_doc; }

    // Each switch into form mode: scroll ranges and a repaint.
    void Initialise();
    void SetDesignMode(bool design);
    bool IsDesignMode() const;
    // A document hint passed on by the view.
    void OnUpdate(const UpdateHint &hint);

    QPoint ScrollPosition() const;
    void ScrollTo(QPoint position);
    QSize ClientSize() const;
    void InvalidateClient(const QRect &rect);
    void InvalidateAll();
    // The rubber band of the selection tool in client coordinates; a null
    // rectangle removes it.
    void SetNetRect(const QRect &client);
    QRect NetRect() const { return m_net; }
    void SetHandleCursor(HandleCursor cursor);
    void SetCursorShape(Qt::CursorShape shape);
    void SetPencilCursor();
    // Whether the clipboard offers form objects (kept as the clipboard
    // changes, so that command states never read the clipboard).
    bool ClipboardHasForm() const { return m_clipboardHasForm; }
    // Whether it offers files or a picture that can become embedded
    // documents (kept the same way).
    bool ClipboardHasEmbeddable() const { return m_clipboardHasEmbeddable; }

    // Paints the part `clientArea` of the form (client coordinates) as the
    // view shows it; the view's paint and the benchmarks use it.
    void PaintForm(QPainter &painter, const QRegion &clientArea);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    // In design mode dropped files and pictures become embedded documents.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // Tab walks the objects, not the focus chain.
    bool focusNextPrevChild(bool) override { return false; }

private:
    void updateScrollBars();
    void updateClipboardState();

    COrvelDoc &m_doc;
    DesignerHost &m_host;
    std::unique_ptr<CFormDesigner> m_designer;
    QRect m_net;
    bool m_clipboardHasForm = false;
    bool m_clipboardHasEmbeddable = false;
};

} // namespace orvel
