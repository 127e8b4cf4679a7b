#include "ui/output_panel.h"

#include "desktop/program_paths.h"
#include "image/loaders.h"
#include "phone/formats.h"
#include "phone/phone_image_document.h"
#include "phone/preview_layout.h"
#include "phone/profiles.h"
#include "qtimage/dib_painter.h"
#include "qtimage/dib_qimage.h"
#include "ui/color_selector.h"
#include "ui/color_swatch.h"
#include "ui/core_texts.h"
#include "ui/dialog_units.h"
#include "ui/document_signals.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QTabBar>
#include <QToolButton>

namespace {

// keitai.dat beside the executable when it reads as PNG, else the built-in phone.
QImage LoadPhonePicture() {
    const QString file = ExecutableFolder() + "keitai.dat";
    if (QFile::exists(file)) {
        DibPtr own(ReadPngFile(file.toStdString()));
        if (own)
            return DibToQImage(own.get());
    }
    return QImage(":/mokoa/phone.png");
}

// The preview frame: the panel paints into its client area.
class PreviewFrame : public QWidget {
public:
    explicit PreviewFrame(COutputPanel* panel) : QWidget(panel), panel_(panel) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Window));
        panel_->PaintPreview(painter);
    }

private:
    COutputPanel* panel_;
};

} // namespace

COutputPanel::COutputPanel(DocumentSignals* document, QWidget* parent)
    : QWidget(parent), document_(document), phonePicture_(LoadPhonePicture()) {
    setFont(DialogFont());
    const DialogUnits du = DialogUnits::FromFont(font());
    setFixedSize(du.X(118), du.Y(404));

    profiles_ = new QComboBox(this);
    profiles_->setGeometry(du.X(2), du.Y(7), du.X(113), profiles_->sizeHint().height());
    profiles_->setMaxVisibleItems(20);
    formats_ = new QComboBox(this);
    formats_->setGeometry(du.X(2), du.Y(23), du.X(86), formats_->sizeHint().height());
    formats_->setMaxVisibleItems(int(OutputFormats().size()) + 1);
    // Long entries (a fitted format) show in full in the open list.
    formats_->view()->setMinimumWidth(du.X(150));
    fitButton_ = new QToolButton(this);
    fitButton_->setText(tr("合わせる"));
    fitButton_->setToolTip(tr("サイズに合わせる"));
    fitButton_->setPopupMode(QToolButton::InstantPopup);
    fitButton_->setGeometry(du.X(89), du.Y(23), du.X(26), formats_->sizeHint().height());
    fitButton_->setCheckable(true); // pressed while the live fit follows the selection

    // The resampling on a row of its own under the format list; what follows moves down
    // by that row.
    const int rowTop = formats_->geometry().bottom() + 1 + du.Y(2);
    const int rowHeight = formats_->sizeHint().height();
    const int shift = rowTop + rowHeight + du.Y(2) - du.Y(43);
    auto below = [&](int x, int y, int width, int height) {
        return du.Rect(x, y, width, height).translated(0, shift);
    };
    auto* resamplingLabel = new QLabel(tr("リサンプリング"), this);
    resamplingLabel->setGeometry(du.X(2), rowTop, du.X(46), rowHeight);
    resampling_ = new QComboBox(this);
    resampling_->setGeometry(du.X(49), rowTop, du.X(66), rowHeight);
    // In ResamplingChoice order.
    resampling_->addItems({tr("自動"), tr("クラシック"), tr("面積平均"), tr("Lanczos")});
    resampling_->setToolTip(tr("選択範囲を携帯のサイズにする方法。自動: 従来の15形式はクラシック、"
                               "高画質の形式とサイズ合わせは面積平均"));
    resamplingLabel->setBuddy(resampling_);

    preview_ = new PreviewFrame(this);
    preview_->setGeometry(below(2, 43, 113, 160));

    swatch_ = new CColorSwatch(this);
    swatch_->setGeometry(below(14, 206, 42, 25));
    readout_ = new QLabel(QStringLiteral("R: FF\nG: FF\nB: FF"), this);
    readout_->setGeometry(below(61, 206, 39, 26));
    readout_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    tabs_ = new QTabBar(this);
    tabs_->addTab(tr("HSBﾏｯﾌﾟ"));
    tabs_->addTab(QStringLiteral("WebSafe"));
    const int tabHeight = tabs_->sizeHint().height();
    auto* tabFrame = new QFrame(this);
    tabFrame->setFrameShape(QFrame::StyledPanel);
    tabFrame->setGeometry(du.X(2), du.Y(235) + shift + tabHeight - 2, du.X(113),
                          du.Y(103) - tabHeight + 2);
    tabs_->setGeometry(du.X(2), du.Y(235) + shift, du.X(113), tabHeight);
    selector_ = new CColorSelector(this);
    selector_->setGeometry(below(5, 251, 108, 83));

    swatch_->SetTwoSwatches(false);
    selector_->Link(swatch_);
    connect(swatch_, &CColorSwatch::colorChanged, this, &COutputPanel::OnSwatchColor);
    connect(tabs_, &QTabBar::currentChanged, selector_, &CColorSelector::SetMode);
    selector_->SetMode(CColorSelector::kMapMode);
    selector_->SetColorFromOutside(MakeColorWord(0, 0, 0));

    const ProfileSelection& profile = Document().Profile();
    for (int i = 0; i < kProfileListCount; ++i)
        profiles_->addItem(ProfileItemText(profile, i), profile.ItemSizeKey(i));
    // The list's index is what is stored, so the names can be shown in any language.
    for (int i = 0; i < int(OutputFormats().size()); ++i)
        formats_->addItem(FormatItemText(Document().Pipeline(), i));
    ShowProfile();
    ShowFormat();
    ShowResampling();
    connect(profiles_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            Document().SelectProfile(index);
    });
    connect(formats_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            Document().SelectFormat(index);
    });
    connect(document_, &DocumentSignals::profileChanged, this, [this] {
        ShowProfile();
        preview_->update();
    });
    connect(resampling_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            Document().SetResampling(ResamplingChoice(index));
    });
    connect(document_, &DocumentSignals::formatChanged, this, &COutputPanel::ShowFormat);
    connect(document_, &DocumentSignals::fitChanged, this, &COutputPanel::ShowFormat);
    connect(document_, &DocumentSignals::resamplingChanged, this, &COutputPanel::ShowResampling);
    connect(document_, &DocumentSignals::outputChanged, this, [this] {
        ShowFormat(); // a fitted entry's text follows its saved size as dot edits change it
        preview_->update();
    });
}

COutputPanel::~COutputPanel() = default;

PhoneImageDocument& COutputPanel::Document() const {
    return document_->Document();
}

void COutputPanel::ShowProfile() {
    const ProfileSelection& profile = Document().Profile();
    const QSignalBlocker block(profiles_);
    profiles_->setItemText(0, ProfileItemText(profile, 0));
    profiles_->setItemData(0, profile.ItemSizeKey(0));
    profiles_->setCurrentIndex(profile.SelectedIndex());
}

void COutputPanel::ShowFormat() {
    const OutputPipeline& pipeline = Document().Pipeline();
    const QSignalBlocker block(formats_);
    if (pipeline.HasFittedFormat()) {
        const int index = pipeline.FittedFormatIndex();
        QString text = FormatItemText(pipeline, index);
        // The entry shows the last result; while a newer one is being made it says so.
        if (Document().LiveFitRunning())
            text.prepend(tr("(合わせ中…) "));
        if (formats_->count() > index)
            formats_->setItemText(index, text);
        else
            formats_->addItem(text);
    }
    formats_->setCurrentIndex(pipeline.SelectedFormat());
    fitButton_->setChecked(Document().LiveFitOn());
}

void COutputPanel::ShowResampling() {
    const QSignalBlocker block(resampling_);
    resampling_->setCurrentIndex(int(Document().ChosenResampling()));
}

void COutputPanel::PaintPreview(QPainter& painter) {
    painter.drawImage(0, 0, phonePicture_);
    const int w = Document().TargetWidth(), h = Document().TargetHeight();
    if (w > 0 && h > 0) {
        const ImageRect target = PreviewPlacement(w, h);
        painter.setPen(QColor(255, 0, 0));
        painter.drawRect(target.left, target.top, w - 1, h - 1);
    }
    if (const PackedDib* output = Document().Pipeline().OutputImage()) {
        const ImageRect at = PreviewPlacement(DibWidth(output), DibHeight(output));
        DibDraw(output, &painter, at.left, at.top, DibWidth(output), DibHeight(output));
    }
}

void COutputPanel::OnSwatchColor(ColorWord color) {
    const int r = ColorRed(color), g = ColorGreen(color), b = ColorBlue(color);
    readout_->setText(
        QString::asprintf("R: %d (%02X)\nG: %d (%02X)\nB: %d (%02X)", r, r, g, g, b, b));
    emit penColorChanged(color);
}
