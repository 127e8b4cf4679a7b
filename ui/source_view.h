// The working pane of area selection: the source picture fitted on black, and the
// selection rectangle whose contents become the phone image.
#pragma once

#include "image/dib.h"
#include "phone/selection_geometry.h"
#include "ui/adjust_dialog.h"
#include "ui/command_pane.h"

#include <QImage>
#include <QString>
#include <QWidget>

class COutputPanel;
class QPainter;

// Draws the rubber band: every pixel on the 1-pixel outline is inverted, so drawing the
// same band twice gives the pixels back.
void DrawInvertedBand(QPainter& painter, const ImageRect& band);

class CSourceView : public QWidget, public CommandPane, public AdjustTarget {
    Q_OBJECT
public:
    explicit CSourceView(QWidget* parent = nullptr);
    ~CSourceView() override;

    void SetOutputPanel(COutputPanel* panel) { panel_ = panel; }

    bool AspectLock() const { return aspectLock_; }
    void SetAspectLock(bool on) { aspectLock_ = on; }

    // Installs a picture from memory (paste, capture); widened to 24 bits. 1 when the
    // view holds a picture afterwards.
    int SetPicture(DibPtr image);
    // Installs a picture from a file; an empty path only releases the current one.
    int OpenPicture(const QString& path);
    // Puts a transformed picture in place of the current one (same depth) and starts
    // again from the whole picture.
    void ReplacePicture(DibPtr image);

    // A picture of the same size in place of the current one, as the tone and colour
    // dialogs show their results: layout and selection stay, the output is made anew.
    // Hands back the replaced picture.
    DibPtr ExchangePicture(DibPtr image) override;

    const PackedDib* Picture() const override { return picture_.get(); }
    bool HasPicture() const { return picture_ != nullptr; }
    const PictureLayout& Layout() const { return layout_; }
    const ImageRect& Selection() const { return selection_; }
    void SetSelection(const ImageRect& selection) { selection_ = selection; }
    const ImageRect& SelectionPixels() const { return selectionPixels_; }
    bool Dragging() const { return dragging_; }

    void LayoutPicture();
    // Resamples the selection to the output size and hands it to the output panel.
    void RefreshOutput();
    // Selection = the whole picture, new output, full repaint.
    void SelectWholePicture();

    // The plug-ins' entries for the Open dialog ("description|patterns|..."), or empty.
    const QString& PluginFilter() const { return pluginFilter_; }

    bool HandleCommand(int id) override;
    bool UpdateCommand(int id, const FrameState& state, CommandUi* ui) override;

signals:
    void stateChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int Install(DibPtr image);
    void RescaleCache();
    ImageRect Track(int x, int y) const;
    void UpdateBandArea(const ImageRect& band);

    COutputPanel* panel_ = nullptr;
    bool aspectLock_ = false;
    DibPtr picture_;
    QImage pictureImage_; // the picture as a QImage, made once per picture
    QImage scaled_;       // that image at the layout size, nearest neighbour
    PictureLayout layout_;
    ImageRect selection_;
    ImageRect selectionPixels_;
    bool dragging_ = false;
    bool moving_ = false;
    int pressX_ = 0, pressY_ = 0;
    bool bandShown_ = false;
    ImageRect band_;
    QString pluginFilter_;
};
