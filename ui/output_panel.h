// The panel docked beside the working pane: phone profile, output format, the phone
// preview, the current colour and the colour selector. It owns the output pipeline and
// only draws it and forwards to it.
#pragma once

#include "image/dib.h"
#include "phone/fit_to_limit.h"
#include "phone/output_pipeline.h"
#include "ui/hls_color.h"

#include <QPoint>
#include <QWidget>

class CColorSelector;
class CColorSwatch;
class CSourceView;
class QComboBox;
class QLabel;
class QPainter;
class QTabBar;
class QToolButton;

// Top-left corner, in phone-picture pixels, of a picture of that size centred in the
// phone's screen area (30, 70)-(160, 210).
QPoint ScreenAreaPosition(int width, int height);

class COutputPanel : public QWidget {
    Q_OBJECT
public:
    explicit COutputPanel(QWidget* parent = nullptr);
    // Writes the four remembered choices back.
    ~COutputPanel() override;

    void SetSourceView(CSourceView* view) { sourceView_ = view; }

    OutputPipeline& Pipeline() { return pipeline_; }
    const OutputPipeline& Pipeline() const { return pipeline_; }
    bool HasOutputImage() const { return pipeline_.OutputImage() != nullptr; }
    bool UndoAvailable() const { return pipeline_.UndoAvailable(); }
    const PackedDib* OutputImage() const { return pipeline_.OutputImage(); }
    int TargetWidth() const { return pipeline_.TargetWidth(); }
    int TargetHeight() const { return pipeline_.TargetHeight(); }
    int CustomWidth() const { return pipeline_.Profile().CustomWidth(); }
    int CustomHeight() const { return pipeline_.Profile().CustomHeight(); }
    // "モコア <profile>  [W x H]".
    QString Caption() const;

    // A new base image: not a commit from the source view (history dropped), a commit
    // from the dot editor. The conversion runs.
    void SetBaseImage(DibPtr image, bool commit);
    // The dot editor's commit: its working copy becomes the base image (one undo step).
    void CommitWorkingCopy();
    bool UndoBaseImage();
    // Custom size change: entry 0 gets the new size and is selected.
    void SetCustomSize(int width, int height);
    // Searches the best format within the carrier's limit for the base image; when one
    // fits it becomes the last entry of the format list and the current format.
    FitResult FitToLimit(Carrier carrier);

    QComboBox* Profiles() const { return profiles_; }
    QComboBox* Formats() const { return formats_; }
    // Beside the format list; the frame gives it the menu of the fit commands.
    QToolButton* FitButton() const { return fitButton_; }
    QWidget* Preview() const { return preview_; }
    CColorSelector* ColorSelector() const { return selector_; }
    CColorSwatch* Swatch() const { return swatch_; }
    QLabel* Readout() const { return readout_; }
    QTabBar* Tabs() const { return tabs_; }
    const QImage& PhonePicture() const { return phonePicture_; }

    void PaintPreview(QPainter& painter);

signals:
    // A conversion ran: the output image was replaced.
    void outputChanged();
    // The working copy was replaced (the dot editor shows it afresh).
    void workingCopyChanged();
    void captionChanged(const QString& caption);
    // The pen colour for the dot editor.
    void penColorChanged(ColorWord color);

private:
    void OnProfileChanged(int index);
    void OnFormatChanged(int index);
    void OnSwatchColor(ColorWord color);
    // The fitted entry's text follows its saved size as dot edits change the picture.
    void ShowFittedEntry();

    OutputPipeline pipeline_;
    CSourceView* sourceView_ = nullptr;
    QImage phonePicture_;
    QComboBox* profiles_;
    QComboBox* formats_;
    QToolButton* fitButton_;
    QWidget* preview_;
    CColorSwatch* swatch_;
    QLabel* readout_;
    QTabBar* tabs_;
    CColorSelector* selector_;
};
