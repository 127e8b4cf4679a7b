#include "phone/phone_image_document.h"
#include "tests/common/qt_test_support.h"
#include "ui/color_selector.h"
#include "ui/color_swatch.h"
#include "ui/control_edges.h"
#include "ui/document_signals.h"
#include "ui/hls_color.h"
#include "ui/output_panel.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>

class ColorSelectorTest : public QObject {
    Q_OBJECT
private slots:
    void hlsArithmetic() {
        Hls red;
        RgbToHls(1, 0, 0, &red);
        QCOMPARE(red.h, 1.0); // pure red is at the top end of the hue range
        QCOMPARE(red.s, 1.0);
        QCOMPARE(red.l, 0.5);
        QCOMPARE(HlsToColor(red), MakeColorWord(255, 0, 0)); // hue 1 counts as 0
        QCOMPARE(HlsToColor({0, 0, 0.5}), MakeColorWord(127, 127, 127));

        Hls hues;
        const struct {
            double r, g, b, h;
        } sixths[] = {{1, 1, 0, 1 / 6.0},
                      {0, 1, 0, 2 / 6.0},
                      {0, 1, 1, 3 / 6.0},
                      {0, 0, 1, 4 / 6.0},
                      {1, 0, 1, 5 / 6.0}};
        for (const auto& c : sixths) {
            RgbToHls(c.r, c.g, c.b, &hues);
            QVERIFY(qFuzzyCompare(hues.h, c.h));
            QCOMPARE(HlsToColor(hues),
                     MakeColorWord(int(c.r * 255), int(c.g * 255), int(c.b * 255)));
        }

        // Grey keeps the hue it had; black keeps hue and saturation.
        Hls kept{0.25, 0.7, 0.3};
        RgbToHls(0.5, 0.5, 0.5, &kept);
        QCOMPARE(kept.h, 0.25);
        QCOMPARE(kept.s, 0.0);
        kept = {0.25, 0.7, 0.3};
        RgbToHls(0, 0, 0, &kept);
        QCOMPARE(kept.h, 0.25);
        QCOMPARE(kept.s, 0.7);
        QCOMPARE(kept.l, 0.0);
    }

    void webSafePalette() {
        QCOMPARE(WebSafeColor(0), MakeColorWord(0, 0, 0));
        QCOMPARE(WebSafeColor(1), MakeColorWord(51, 0, 0));
        QCOMPARE(WebSafeColor(6), MakeColorWord(0, 0, 51));
        QCOMPARE(WebSafeColor(36), MakeColorWord(0, 51, 0));
        QCOMPARE(WebSafeColor(215), MakeColorWord(255, 255, 255));
        QCOMPARE(FindWebSafeIndex(MakeColorWord(51, 102, 153)), 1 + 6 * 3 + 36 * 2);
        QCOMPARE(FindWebSafeIndex(MakeColorWord(50, 102, 153)), -1);
    }

    void layoutOfA170By130Control() {
        const ColorMapLayout map = LayoutColorMap(QSize(170, 130));
        QCOMPARE(map.columns, 46);
        QCOMPARE(map.rows, 40);
        QCOMPARE(map.map, QRect(4, 4, 138, 120));
        QCOMPARE(map.bar.width(), 17);
        QCOMPARE(map.bar.left(), 4 + 140 + 5);
        QCOMPARE(MapMarkerPosition(map, {0.5, 0.25, 0.5}), QPoint(4 + 69 - 2, 4 + 30 - 2));

        const PaletteLayout palette = LayoutPalette(QSize(170, 130));
        QCOMPARE(palette.columns, 16);
        QCOMPARE(PickOnPalette(palette, QPoint(4, 4)), 0);
        QCOMPARE(PickOnPalette(palette, QPoint(4 + 10 * 3 + 5, 4 + 10 * 2 + 5)), 35);
        // The strip right of the last whole column (x 164..165) picks nothing.
        QCOMPARE(PickOnPalette(palette, QPoint(164, 10)), -1);
        QCOMPARE(PickOnPalette(palette, QPoint(2, 2)), -1);
        // The last row ends at entry 215 (column 7); cells after it pick nothing.
        const PaletteLayout tall = LayoutPalette(QSize(170, 170));
        QCOMPARE(PickOnPalette(tall, QPoint(4 + 10 * 7 + 5, 4 + 10 * 13 + 5)), 215);
        QCOMPARE(PickOnPalette(tall, QPoint(4 + 10 * 8 + 5, 4 + 10 * 13 + 5)), -1);

        Hls hls{0.1, 0.1, 0.4};
        QVERIFY(PickOnColorMap(map, map.mapHit.topLeft(), &hls));
        QCOMPARE(hls.h, 0.0);
        QCOMPARE(hls.s, 0.0);
        QCOMPARE(hls.l, 0.4);
        QVERIFY(PickOnColorMap(
            map, QPoint(map.bar.left() + 3, map.barHit.top() + map.barHit.height() / 2), &hls));
        QCOMPARE(hls.l, 0.5);
        QVERIFY(!PickOnColorMap(map, QPoint(map.map.right() + 3, 60), &hls));
    }

    void edgesStayOutsideTheMapAndTheBar() {
        CColorSelector selector;
        selector.resize(170, 130);
        selector.SetColorFromOutside(MakeColorWord(0, 0, 0)); // markers at the top left
        const QImage shot = selector.grab().toImage();
        const ColorMapLayout map = LayoutColorMap(selector.size());
        const int y = map.map.top() + 3 * 20;
        QCOMPARE(QColor(shot.pixel(map.map.right(), y)),
                 ToQColor(HlsToColor({45 / 46.0, 20 / 40.0, 0.5})));
        QCOMPARE(QColor(shot.pixel(map.bar.left() + 2, map.bar.bottom())),
                 ToQColor(HlsToColor({0, 0, 39 / 40.0})));
    }

    void picksLandInTheSwatchAndTheReadout() {
        PhoneImageDocument document;
        DocumentSignals notifier(&document);
        COutputPanel panel(&notifier);
        CColorSelector* selector = panel.ColorSelector();
        // The panel starts on black.
        QCOMPARE(panel.Swatch()->Color(), MakeColorWord(0, 0, 0));
        QCOMPARE(panel.Readout()->text(), QString("R: 0 (00)\nG: 0 (00)\nB: 0 (00)"));
        QSignalSpy pen(&panel, &COutputPanel::penColorChanged);

        selector->SetColorFromOutside(MakeColorWord(51, 102, 153));
        QCOMPARE(selector->SelectedPaletteIndex(), 91);
        QCOMPARE(pen.count(), 1);
        QCOMPARE(panel.Readout()->text(), QString("R: 51 (33)\nG: 102 (66)\nB: 153 (99)"));
        selector->SetColorFromOutside(MakeColorWord(50, 102, 153));
        QCOMPARE(selector->SelectedPaletteIndex(), -1);

        // A grey after a blue keeps the blue hue; the marker goes to the top row.
        selector->SetColorFromOutside(MakeColorWord(0, 0, 255));
        selector->SetColorFromOutside(MakeColorWord(128, 128, 128));
        QVERIFY(qFuzzyCompare(selector->CurrentHls().h, 4 / 6.0));
        QCOMPARE(selector->CurrentHls().s, 0.0);

        // A palette click on the second page.
        panel.Tabs()->setCurrentIndex(1);
        QCOMPARE(selector->Mode(), int(CColorSelector::kPaletteMode));
        const PaletteLayout layout = LayoutPalette(selector->size());
        QTest::mouseClick(selector, Qt::LeftButton, {}, PaletteCell(layout, 1).center());
        QCOMPARE(selector->SelectedPaletteIndex(), 1);
        QCOMPARE(panel.Swatch()->Color(), MakeColorWord(51, 0, 0));
        QCOMPARE(pen.last().at(0).value<ColorWord>(), MakeColorWord(51, 0, 0));

        // A map pick keeps the hue and saturation it was made from.
        panel.Tabs()->setCurrentIndex(0);
        const ColorMapLayout map = LayoutColorMap(selector->size());
        const QPoint spot(map.mapHit.left() + map.mapHit.width() / 3, map.mapHit.top() + 10);
        QTest::mouseClick(selector, Qt::LeftButton, {}, spot);
        const double h = double(spot.x() - map.mapHit.left()) / map.mapHit.width();
        QCOMPARE(selector->CurrentHls().h, h);
        QCOMPARE(panel.Swatch()->Color(), HlsToColor(selector->CurrentHls()));
    }
};

MOKOA_QT_TEST(ColorSelectorTest);
#include "color_selector_test.moc"
