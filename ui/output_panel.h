// The panel docked beside the working pane: phone profile, output format, the phone
// preview, the current colour and the colour selector.
#pragma once

#include "ui/hls_color.h"

#include <QWidget>

class CColorSelector;
class CColorSwatch;
class CSourceView;
class QComboBox;
class QLabel;
class QTabBar;

class COutputPanel : public QWidget {
    Q_OBJECT
public:
    explicit COutputPanel(QWidget* parent = nullptr);
    ~COutputPanel() override;

    void SetSourceView(CSourceView* view) { sourceView_ = view; }

    bool HasOutputImage() const { return false; }
    bool UndoAvailable() const { return false; }

    int CustomWidth() const { return customWidth_; }
    int CustomHeight() const { return customHeight_; }
    void SetCustomSize(int width, int height);

    CColorSelector* ColorSelector() const { return selector_; }
    CColorSwatch* Swatch() const { return swatch_; }
    QLabel* Readout() const { return readout_; }
    QTabBar* Tabs() const { return tabs_; }

signals:
    // The output image was replaced (the frame re-evaluates its commands).
    void outputChanged();
    // The main window's caption for the chosen profile.
    void captionChanged(const QString& caption);
    // The pen colour for the dot editor.
    void penColorChanged(ColorWord color);

private:
    void OnSwatchColor(ColorWord color);

    CSourceView* sourceView_ = nullptr;
    int customWidth_ = 80, customHeight_ = 80;
    QComboBox* profiles_;
    QComboBox* formats_;
    QWidget* preview_;
    CColorSwatch* swatch_;
    QLabel* readout_;
    QTabBar* tabs_;
    CColorSelector* selector_;
};
