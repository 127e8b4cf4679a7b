// The dot editor: the phone image's working copy enlarged 3, 6 or 9 times, painted
// pixel by pixel with the pen or the fill, scrolled with the hand, sampled with the
// eyedropper. Every pen or fill release commits one undo step to the phone image.
#pragma once

#include "phone/dot_edit_geometry.h"
#include "ui/command_pane.h"
#include "ui/hls_color.h"

#include <QAbstractScrollArea>
#include <QLoggingCategory>
#include <QPoint>

class EditablePhoneImage;
struct PackedDib;

// The fill's per-pixel trace ("rgn=%d"); off unless enabled, e.g. with
// QT_LOGGING_RULES="mokoa.dotedit.fill.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcDotEditFill)

class CDotEditView : public QAbstractScrollArea, public CommandPane {
    Q_OBJECT
public:
    explicit CDotEditView(QWidget* parent = nullptr);

    // The model whose working copy is edited; read afresh on every event.
    void SetPhoneImage(EditablePhoneImage* image);

    int Tool() const { return tools_.current; }
    int PreviousTool() const { return tools_.previous; }
    void SelectTool(int tool);
    ColorWord PenColor() const { return penColor_; }
    int PenSizeIndex() const { return penSize_; }
    int Zoom() const { return zoom_; }
    void SetZoom(int zoom);
    int Tolerance() const { return tolerance_; }
    DotEditGeometry Geometry() const;

    bool HandleCommand(int id) override;
    bool UpdateCommand(int id, const FrameState& state, CommandUi* ui) override;

public slots:
    void SetPenColor(ColorWord color) { penColor_ = color & 0xFFFFFF; }
    // The phone image has a new working copy.
    void WorkingCopyChanged();

signals:
    // The eyedropper's colour, for the colour selector to make current.
    void colorPicked(ColorWord color);
    // A pen or fill release was committed, an undo made, or the eyedropper handed back
    // its tool: the commands' enabling and check marks may have changed.
    void stateChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    PackedDib* WorkingCopy() const;
    void UpdateScrollBars();
    void Track(const QPoint& point, bool held);
    void UpdateCursor();
    void Commit();

    EditablePhoneImage* image_ = nullptr;
    ToolState tools_;
    ColorWord penColor_ = 0;
    int penSize_ = 1;
    int tolerance_ = 20;
    int zoom_ = 6;
    bool buttonDown_ = false;
    bool hasTracked_ = false;
    QPoint lastTracked_;
    QPoint pressPoint_;
    int pressScrollX_ = 0, pressScrollY_ = 0;
    bool previewShown_ = false;
    ImageRect preview_;
};
