#include "ui/output_panel.h"

#include "ui/color_selector.h"
#include "ui/color_swatch.h"
#include "ui/dialog_units.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QTabBar>

COutputPanel::COutputPanel(QWidget* parent) : QWidget(parent) {
    setFont(DialogFont());
    const DialogUnits du = DialogUnits::FromFont(font());
    setFixedSize(du.X(118), du.Y(404));

    profiles_ = new QComboBox(this);
    profiles_->setGeometry(du.X(2), du.Y(7), du.X(113), profiles_->sizeHint().height());
    formats_ = new QComboBox(this);
    formats_->setGeometry(du.X(2), du.Y(23), du.X(113), formats_->sizeHint().height());
    preview_ = new QFrame(this);
    preview_->setGeometry(du.Rect(2, 43, 113, 160));

    swatch_ = new CColorSwatch(this);
    swatch_->setGeometry(du.Rect(14, 206, 42, 25));
    readout_ = new QLabel(QStringLiteral("R: FF\nG: FF\nB: FF"), this);
    readout_->setGeometry(du.Rect(61, 206, 39, 26));
    readout_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* tabFrame = new QFrame(this);
    tabFrame->setFrameShape(QFrame::StyledPanel);
    tabFrame->setGeometry(du.Rect(2, 235, 113, 103));
    tabs_ = new QTabBar(this);
    tabs_->addTab(QStringLiteral("HSBﾏｯﾌﾟ"));
    tabs_->addTab(QStringLiteral("WebSafe"));
    tabs_->setGeometry(du.X(2), du.Y(235), du.X(113), tabs_->sizeHint().height());
    tabFrame->setGeometry(du.X(2), du.Y(235) + tabs_->sizeHint().height() - 2, du.X(113),
                          du.Y(103) - tabs_->sizeHint().height() + 2);
    selector_ = new CColorSelector(this);
    selector_->setGeometry(du.Rect(5, 251, 108, 83));

    swatch_->SetTwoSwatches(false);
    selector_->Link(swatch_);
    connect(swatch_, &CColorSwatch::colorChanged, this, &COutputPanel::OnSwatchColor);
    connect(tabs_, &QTabBar::currentChanged, selector_, &CColorSelector::SetMode);
    selector_->SetMode(CColorSelector::kMapMode);
    selector_->SetColorFromOutside(MakeColorWord(0, 0, 0));
}

COutputPanel::~COutputPanel() = default;

void COutputPanel::SetCustomSize(int width, int height) {
    customWidth_ = width;
    customHeight_ = height;
}

void COutputPanel::OnSwatchColor(ColorWord color) {
    const int r = ColorRed(color), g = ColorGreen(color), b = ColorBlue(color);
    readout_->setText(
        QString::asprintf("R: %d (%02X)\nG: %d (%02X)\nB: %d (%02X)", r, r, g, g, b, b));
    emit penColorChanged(color);
}
