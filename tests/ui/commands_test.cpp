#include "phone/phone_image_document.h"
#include "tests/common/qt_test_support.h"
#include "tests/common/test_pictures.h"
#include "tests/ui/fake_prompts.h"
#include "ui/command_ids.h"
#include "ui/command_rules.h"
#include "ui/command_table.h"
#include "ui/dot_edit_view.h"
#include "ui/main_frame.h"
#include "ui/source_view.h"

#include "desktop/program_paths.h"
#include "plugins/plugin_host.h"

#include <QAction>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

using namespace cmd;

namespace {

QStringList ButtonLabels(QToolBar* bar) {
    QStringList labels;
    for (QAction* action : bar->actions())
        labels.append(action->isSeparator() ? QString("-") : action->iconText());
    return labels;
}

QStringList MenuTexts(const QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions())
        texts.append(action->isSeparator() ? QString("-") : action->text());
    return texts;
}

} // namespace

class CommandsTest : public QObject {
    Q_OBJECT
private slots:
    void promptHalves() {
        QCOMPARE(StatusText(FindCommand(kOpen)->prompt),
                 std::string("素材となる画像ファイルを開きます"));
        QCOMPARE(TipText(FindCommand(kOpen)->prompt), std::string("画像読込"));
        // Without a line break both halves are the whole text.
        QCOMPARE(TipText(FindCommand(kCustomSize)->prompt),
                 StatusText(FindCommand(kCustomSize)->prompt));
        QCOMPARE(TipText(nullptr), std::string());
    }

    void enablingBeforeAPictureIsLoaded() {
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        for (int id :
             {kSave, kSizeCheck, kCopyPhoneImage, kWebServer, kAreaSelect, kDotEdit, kRotateRight,
              kRotateLeft, kFlipHorizontal, kFlipVertical, kFreeRotation, kBrightness,
              kColorComponents, kUndo, kPenSizeMenu, kScaleMenu, kToleranceMenu})
            QVERIFY2(!frame.Action(id)->isEnabled(), qPrintable(QString::number(id)));
        for (int id : {kOpen, kPasteSource, kCapture, kMail, kCustomSize, kMailAccount, kGetPlugins,
                       kTransferRegistration, kUpdateInfo, kHelp, kAbout, kExit, kAspectLock,
                       kOpenPluginFolder, kPen, kZoom6, kTolerance20, kToolBar, kStatusBar})
            QVERIFY2(frame.Action(id)->isEnabled(), qPrintable(QString::number(id)));
        QVERIFY(frame.Action(kAreaSelect)->isChecked());
        QVERIFY(!frame.Action(kDotEdit)->isChecked());
        QVERIFY(frame.Action(kToolBar)->isChecked());
        // A disabled command does nothing even when asked for directly.
        frame.RunCommand(kDotEdit);
        QCOMPARE(frame.Mode(), int(kAreaSelect));
    }

    void rulesWithAnOutputImage() {
        FrameState state;
        state.hasOutput = true;
        for (int id :
             {kSave, kSizeCheck, kCopyPhoneImage, kWebServer, kRotateLeft, kBrightness, kScaleMenu})
            QVERIFY(EvaluateFrameCommand(id, state).enabled);
        QVERIFY(!EvaluateFrameCommand(kUndo, state).enabled);
        state.undoAvailable = true;
        QVERIFY(EvaluateFrameCommand(kUndo, state).enabled);
        state.mode = kDotEdit;
        QVERIFY(EvaluateFrameCommand(kDotEdit, state).checked);
        QVERIFY(!EvaluateFrameCommand(kAreaSelect, state).checked);
        // In dot editing the frame answers the lock: enabled with output, never checked.
        QVERIFY(EvaluateFrameCommand(kAspectLock, state).enabled);
        QVERIFY(!EvaluateFrameCommand(kAspectLock, state).checked);
        state.hasOutput = false;
        QVERIFY(!EvaluateFrameCommand(kAspectLock, state).enabled);
    }

    void aspectLockTogglesThroughTheSourceView() {
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        QAction* lock = frame.Action(kAspectLock);
        QVERIFY(!lock->isChecked());
        QCOMPARE(lock->shortcut(), QKeySequence("Ctrl+L"));
        lock->trigger();
        QVERIFY(frame.Document().AspectLock());
        QVERIFY(lock->isChecked());
        frame.RunCommand(kAspectLock);
        QVERIFY(!frame.Document().AspectLock());
        QVERIFY(!lock->isChecked());
    }

    void menusAndAccelerators() {
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        const QList<QAction*> tops = frame.menuBar()->actions();
        QStringList titles;
        for (QAction* top : tops)
            titles.append(top->text());
        QCOMPARE(titles, QStringList({"ﾌｧｲﾙ(&F)", "編集(&E)", "機能拡張", "表示(&V)", "ﾍﾙﾌﾟ(&H)"}));
        QCOMPARE(
            MenuTexts(tops[0]->menu()),
            QStringList({"画像ファイルを開く", "携帯用画像の保存", "-", "携帯保存サイズチェック",
                         "サイズに合わせる", "携帯への転送[WEB]登録", "ﾒｰﾙに添付して送信",
                         "携帯Webｻｰﾊﾞの起動", "-", "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"}));
        // 編集 > 画像編集 > its eighth to tenth entries are the three drop-down submenus.
        const QMenu* edit = tops[1]->menu();
        QCOMPARE(MenuTexts(edit), QStringList({"ｴﾘｱ選択", "ﾄﾞｯﾄ編集", "-", "画像切取り", "画像編集",
                                               "-", "携帯用画像をコピー"}));
        const QMenu* dotMenu = edit->actions()[4]->menu();
        QCOMPARE(MenuTexts(dotMenu).mid(7),
                 QStringList({"ペン先の幅", "表示スケール", "塗りの色域値"}));
        QCOMPARE(MenuTexts(dotMenu->actions()[8]->menu()),
                 QStringList({"３倍率", "６倍率", "９倍率", "-", "拡大", "縮小"}));
        const QMenu* cut = edit->actions()[3]->menu();
        QCOMPARE(MenuTexts(cut->actions()[4]->menu()),
                 QStringList({"自由回転", "-", "時計周りに90度", "反時計周りに90度", "-",
                              "水平方向に反転(&H)", "垂直方向に反転(&V)"}));
        QCOMPARE(frame.Action(kFreeRotation)->shortcut(), QKeySequence("Ctrl+R"));
        QCOMPARE(frame.Action(kHelp)->shortcut(), QKeySequence(Qt::Key_F1));
        // Every action carries its command number.
        for (const CommandInfo& info : AllCommands())
            QCOMPARE(frame.Action(info.id)->data().toInt(), info.id);
    }

    void platformKeysBesideTheAcceleratorsWithoutClashes() {
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        const struct {
            int id;
            QKeySequence::StandardKey key;
        } standard[] = {{kOpen, QKeySequence::Open},         {kSave, QKeySequence::Save},
                        {kUndo, QKeySequence::Undo},         {kCopyPhoneImage, QKeySequence::Copy},
                        {kPasteSource, QKeySequence::Paste}, {kExit, QKeySequence::Quit},
                        {kZoomIn, QKeySequence::ZoomIn},     {kZoomOut, QKeySequence::ZoomOut}};
        for (const auto& [id, key] : standard)
            if (!QKeySequence::keyBindings(key).isEmpty())
                QCOMPARE(frame.Action(id)->shortcuts(), QKeySequence::keyBindings(key));
        QVERIFY(frame.Action(kExit)->shortcuts().contains(QKeySequence("Ctrl+Q")));
        // The menus' accelerators come first, so the menus show them.
        QCOMPARE(frame.Action(kAspectLock)->shortcuts(),
                 QList<QKeySequence>{QKeySequence("Ctrl+L")});
        // No key reaches two commands.
        QMap<QKeySequence, int> owner;
        for (const CommandInfo& info : AllCommands())
            for (const QKeySequence& key : frame.Action(info.id)->shortcuts()) {
                QVERIFY2(!owner.contains(key), qPrintable(key.toString()));
                owner.insert(key, info.id);
            }

        // The zoom keys step the dot editor through 3, 6 and 9, while it is shown.
        QVERIFY(!frame.Action(kZoomIn)->isEnabled());
        frame.Document().SetPicture(testsupport::SolidPicture(40, 30, {0, 0, 255}));
        frame.RunCommand(kDotEdit);
        QCOMPARE(frame.DotEditor()->Zoom(), 6);
        frame.Action(kZoomIn)->trigger();
        QCOMPARE(frame.DotEditor()->Zoom(), 9);
        QVERIFY(!frame.Action(kZoomIn)->isEnabled());
        frame.RunCommand(kZoomOut);
        frame.RunCommand(kZoomOut);
        frame.RunCommand(kZoomOut);
        QCOMPARE(frame.DotEditor()->Zoom(), 3);
        QVERIFY(frame.Action(kZoom3)->isChecked());
    }

    void toolBarsAreLabelledFromTheTipHalf() {
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        QCOMPARE(ButtonLabels(frame.MainToolBar()),
                 QStringList({"画像読込", "取り込み", "-", "ｻｲｽﾞOK?", "-", "画像保存", "ﾒｰﾙ送信",
                              "Webｻｰﾊﾞ", "-", "ｴﾘｱ選択", "ﾄﾞｯﾄ編集"}));
        QCOMPARE(ButtonLabels(frame.AdjustToolBar()),
                 QStringList({"縦横比", "-", "左回転", "右回転", "垂直反転", "水平反転", "-",
                              "自由回転", "明るさ", "色成分"}));
        QCOMPARE(ButtonLabels(frame.DotEditToolBar()),
                 QStringList({"ｽｹｰﾙ", "-", "ﾊﾝﾄﾞ", "ｽﾎﾟｲﾄﾞ", "元に戻す", "-", "ﾍﾟﾝ", "塗り", "-",
                              "ﾍﾟﾝ幅", "色域値"}));
        QCOMPARE(frame.MainToolBar()->iconSize(), QSize(16, 15));
        auto* open =
            qobject_cast<QToolButton*>(frame.MainToolBar()->widgetForAction(frame.Action(kOpen)));
        QVERIFY(open);
        QCOMPARE(open->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QVERIFY(!open->icon().isNull());
        // Area selection shows the adjustment bar; the dot-edit bar starts hidden.
        QVERIFY(!frame.AdjustToolBar()->isHidden());
        QVERIFY(frame.DotEditToolBar()->isHidden());
        frame.RunCommand(kToolBar);
        QVERIFY(frame.MainToolBar()->isHidden());
        QVERIFY(!frame.Action(kToolBar)->isChecked());
    }

    void helpAndWebPagesOpenLocalFiles() {
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        qttest::UrlCatcher catcher;
        QDesktopServices::setUrlHandler("file", &catcher, "open");
        frame.Action(kHelp)->trigger();
        frame.RunCommand(kGetPlugins);
        frame.RunCommand(kTransferRegistration);
        frame.RunCommand(kUpdateInfo);
        frame.RunCommand(kOpenPluginFolder);
        QDesktopServices::unsetUrlHandler("file");
        const QString plugins = QString::fromStdString(PluginFolderBesideExecutable());
        QCOMPARE(
            catcher.urls,
            QList<QUrl>({QUrl::fromLocalFile(HelpFilePath()), QUrl::fromLocalFile(PluginPagePath()),
                         QUrl::fromLocalFile(TransferPagePath()),
                         QUrl::fromLocalFile(UpdatePagePath()), QUrl::fromLocalFile(plugins)}));
        QVERIFY(QFileInfo(plugins).isDir());
    }

    void statusBarShowsTheStatusHalfWhileHovered() {
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QCOMPARE(frame.IdleLabel()->text(), QString("ﾚﾃﾞｨ"));
        QVERIFY(frame.IdleLabel()->isVisible());
        QWidget* button = frame.MainToolBar()->widgetForAction(frame.Action(kOpen));
        QStatusTipEvent tip(frame.Action(kOpen)->statusTip());
        QApplication::sendEvent(button, &tip);
        QCOMPARE(frame.statusBar()->currentMessage(), QString("素材となる画像ファイルを開きます"));
        QVERIFY(!frame.IdleLabel()->isVisible());
        QStatusTipEvent leave{QString()};
        QApplication::sendEvent(button, &leave);
        QVERIFY(frame.IdleLabel()->isVisible());
    }
};

MOKOA_QT_TEST(CommandsTest);
#include "commands_test.moc"
