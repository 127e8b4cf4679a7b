// The working pane of area selection: the document's source picture fitted on black, and
// the selection rectangle whose contents become the phone image. The view draws and hands
// the user's selections to the document.
#pragma once

#include "phone/selection_geometry.h"
#include "ui/command_pane.h"

#include <QImage>
#include <QString>
#include <QWidget>

class DocumentSignals;
class PhoneImageDocument;
class QPainter;

// Draws the rubber band: every pixel on the 1-pixel outline is inverted, so drawing the
// same band twice gives the pixels back.
void DrawInvertedBand(QPainter& painter, const ImageRect& band);

class CSourceView : public QWidget, public CommandPane {
    Q_OBJECT
public:
    // Loads the plug-ins (once per run) for the Open dialog's filter.
    explicit CSourceView(DocumentSignals* document, QWidget* parent = nullptr);
    ~CSourceView() override;

    const PictureLayout& Layout() const { return layout_; }
    // The selection as shown, in client pixels.
    const ImageRect& Selection() const { return selection_; }
    bool Dragging() const { return dragging_; }

    void LayoutPicture();

    // The plug-ins' entries for the Open dialog ("description|patterns|..."), or empty.
    const QString& PluginFilter() const { return pluginFilter_; }

    bool HandleCommand(int id) override;
    bool UpdateCommand(int id, const FrameState& state, CommandUi* ui) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    PhoneImageDocument& Document() const;
    void OnDocumentChanged(unsigned changes);
    // The document's selection in client pixels for the current layout.
    void ShowDocumentSelection();
    void RescaleCache();
    ImageRect Track(int x, int y) const;
    void UpdateBandArea(const ImageRect& band);

    DocumentSignals* document_;
    QImage scaled_; // the picture at the layout size, made from it at each change
    PictureLayout layout_;
    ImageRect selection_;
    bool handingOver_ = false; // the selection being handed to the document is the user's
    bool dragging_ = false;
    bool moving_ = false;
    int pressX_ = 0, pressY_ = 0;
    bool bandShown_ = false;
    ImageRect band_;
    QString pluginFilter_;
};
