// Tool-bar icons and cursors on a screen of two device pixels per pixel (registered to run with
// QT_SCALE_FACTOR=2): each must come from its @2x picture, not be the 1x one blown up.
#include "tests/common/qt_test_support.h"
#include "tests/ui/fake_prompts.h"
#include "ui/command_ids.h"
#include "ui/dot_edit_view.h"
#include "ui/main_frame.h"
#include "ui/program_cursors.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QToolBar>

#include <utility>
#include <vector>

class HiDpiAssetsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR"))
            QSKIP("runs at QT_SCALE_FACTOR=2, as ctest starts it");
        QCOMPARE(qApp->devicePixelRatio(), 2.0);
    }

    void toolBarIconsAreDrawnAtDoubleSize() {
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        int icons = 0;
        for (QToolBar* bar : frame.findChildren<QToolBar*>()) {
            for (QAction* action : bar->actions()) {
                if (action->icon().isNull())
                    continue;
                const QPixmap pixmap = action->icon().pixmap(bar->iconSize());
                QCOMPARE(pixmap.size(), bar->iconSize() * 2);
                ++icons;
            }
        }
        QVERIFY2(icons >= 20, qPrintable(QString::number(icons)));
    }

    void cursorsAreDrawnAtDoubleSizeWithTheirHotSpots() {
        CDotEditView editor;
        struct Expected {
            QCursor cursor;
            QPoint hotSpot;
        };
        std::vector<Expected> cursors = {{ResizeCursor(), {15, 15}}, {DragCursor(), {15, 15}}};
        for (const auto& [tool, spot] :
             std::vector<std::pair<int, QPoint>>{{cmd::kPen, {1, 1}},
                                                 {cmd::kEyedropper, {1, 1}},
                                                 {cmd::kFill, {2, 17}},
                                                 {cmd::kHand, {12, 14}}}) {
            QVERIFY(editor.HandleCommand(tool));
            cursors.push_back({editor.viewport()->cursor(), spot});
        }
        for (const Expected& e : cursors) {
            QCOMPARE(e.cursor.shape(), Qt::BitmapCursor);
            QCOMPARE(e.cursor.pixmap().size(), QSize(64, 64));
            QCOMPARE(e.cursor.pixmap().devicePixelRatio(), 2.0);
            QCOMPARE(e.cursor.hotSpot(), e.hotSpot); // offscreen takes it in 1x pixels
        }
    }
};
MOKOA_QT_TEST(HiDpiAssetsTest);

#include "hidpi_assets_test.moc"
