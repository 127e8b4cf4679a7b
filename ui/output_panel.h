// The panel docked beside the working pane: phone profile, output format, the phone
// preview, the current colour and the colour selector. It draws the document's phone image
// and hands the user's choices of profile and format to the document.
#pragma once

#include "ui/hls_color.h"

#include <QImage>
#include <QWidget>

class CColorSelector;
class CColorSwatch;
class DocumentSignals;
class PhoneImageDocument;
class QComboBox;
class QLabel;
class QPainter;
class QTabBar;
class QToolButton;

class COutputPanel : public QWidget {
    Q_OBJECT
public:
    explicit COutputPanel(DocumentSignals* document, QWidget* parent = nullptr);
    ~COutputPanel() override;

    QComboBox* Profiles() const { return profiles_; }
    QComboBox* Formats() const { return formats_; }
    // Beside the format list; the frame gives it the menu of the fit commands.
    QToolButton* FitButton() const { return fitButton_; }
    // Below the format list: auto, classic, area, Lanczos.
    QComboBox* Resampling() const { return resampling_; }
    QWidget* Preview() const { return preview_; }
    CColorSelector* ColorSelector() const { return selector_; }
    CColorSwatch* Swatch() const { return swatch_; }
    QLabel* Readout() const { return readout_; }
    QTabBar* Tabs() const { return tabs_; }
    const QImage& PhonePicture() const { return phonePicture_; }

    void PaintPreview(QPainter& painter);

signals:
    // The pen colour for the dot editor.
    void penColorChanged(ColorWord color);

private:
    PhoneImageDocument& Document() const;
    // The lists show what the document holds, without reporting it back as a choice.
    void ShowProfile();
    void ShowFormat();
    void ShowResampling();
    void OnSwatchColor(ColorWord color);

    DocumentSignals* document_;
    QImage phonePicture_;
    QComboBox* profiles_;
    QComboBox* formats_;
    QToolButton* fitButton_;
    QComboBox* resampling_;
    QWidget* preview_;
    CColorSwatch* swatch_;
    QLabel* readout_;
    QTabBar* tabs_;
    CColorSelector* selector_;
};
