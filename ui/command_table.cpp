#include "ui/command_table.h"

#include "ui/command_ids.h"

#include <QtGlobal>

#include <cstring>

const char* const kFitMenuText = QT_TRANSLATE_NOOP("Commands", "サイズに合わせる");
const char* const kIdleStatusText = QT_TRANSLATE_NOOP("Commands", "ﾚﾃﾞｨ");
const char* const kResamplingMenuText = QT_TRANSLATE_NOOP("Commands", "リサンプリング");

const std::vector<CommandInfo>& AllCommands() {
    using namespace cmd;
    static const std::vector<CommandInfo> commands = {
        {kOpen, QT_TRANSLATE_NOOP("Commands", "画像ファイルを開く"),
         QT_TRANSLATE_NOOP("Commands", "素材となる画像ファイルを開きます\n画像読込")},
        {kSave, QT_TRANSLATE_NOOP("Commands", "携帯用画像の保存"),
         QT_TRANSLATE_NOOP("Commands", "携帯用画像ファイルを保存します\n画像保存")},
        {kSizeCheck, QT_TRANSLATE_NOOP("Commands", "携帯保存サイズチェック"),
         QT_TRANSLATE_NOOP("Commands", "携帯に利用可能かファイルサイズをテストします\nｻｲｽﾞOK?")},
        {kFitJSky, QT_TRANSLATE_NOOP("Commands", "J-Sky (PNG・JPEG 6 KB 以内)"),
         QT_TRANSLATE_NOOP(
             "Commands", "J-Skyの 6 KB 以内で最も画質のよい形式を探して選びます\nJ-Skyに合わせる")},
        {kFitEZweb, QT_TRANSLATE_NOOP("Commands", "EZweb (PNG 7 KB 以内)"),
         QT_TRANSLATE_NOOP(
             "Commands", "EZwebの 7 KB 以内で最も画質のよい形式を探して選びます\nEZwebに合わせる")},
        {kTransferRegistration, QT_TRANSLATE_NOOP("Commands", "携帯への転送[WEB]登録"),
         QT_TRANSLATE_NOOP(
             "Commands",
             "作成した壁紙を携帯電話へ転送する為にサイトへ登録します\n携帯電話への転送登録")},
        {kMail, QT_TRANSLATE_NOOP("Commands", "ﾒｰﾙに添付して送信"),
         QT_TRANSLATE_NOOP("Commands", "Eﾒｰﾙに添付して携帯へ送ります\nﾒｰﾙ送信")},
        {kWebServer, QT_TRANSLATE_NOOP("Commands", "携帯Webｻｰﾊﾞの起動"),
         QT_TRANSLATE_NOOP("Commands", "Webサーバを起動し携帯からの接続を待ちます\nWebｻｰﾊﾞ")},
        {kExit, QT_TRANSLATE_NOOP("Commands", "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"),
         QT_TRANSLATE_NOOP("Commands", "ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示\n終了")},
        {kAreaSelect, QT_TRANSLATE_NOOP("Commands", "ｴﾘｱ選択"),
         QT_TRANSLATE_NOOP("Commands", "画像から携帯画像に使用するｴﾘｱを選択します\nｴﾘｱ選択")},
        {kDotEdit, QT_TRANSLATE_NOOP("Commands", "ﾄﾞｯﾄ編集"),
         QT_TRANSLATE_NOOP("Commands", "ｴﾘｱ選択された携帯画像を編集します\nﾄﾞｯﾄ編集")},
        {kAspectLock, QT_TRANSLATE_NOOP("Commands", "縦横比の固定(&L)\tCtrl+L"),
         QT_TRANSLATE_NOOP("Commands", "領域選択時の四角の縦横の比率を固定します\n縦横比")},
        {kPasteSource, QT_TRANSLATE_NOOP("Commands", "元画像としてペースト"),
         QT_TRANSLATE_NOOP("Commands",
                           "クリップボードの内容を元画像としてペースト\n元画像としてペースト")},
        {kCapture, QT_TRANSLATE_NOOP("Commands", "画面キャプチャー取込み"),
         QT_TRANSLATE_NOOP("Commands", "現在のフレーム内の表示内容を取り込みます\n取り込み")},
        {kFreeRotation, QT_TRANSLATE_NOOP("Commands", "自由回転\tCtrl+R"),
         QT_TRANSLATE_NOOP("Commands", "自由な角度に回転します。\n自由回転")},
        {kRotateRight, QT_TRANSLATE_NOOP("Commands", "時計周りに90度"),
         QT_TRANSLATE_NOOP("Commands", "時計周り(90度)に回転します。\n右回転")},
        {kRotateLeft, QT_TRANSLATE_NOOP("Commands", "反時計周りに90度"),
         QT_TRANSLATE_NOOP("Commands", "反時計周り(270度)に回転します。\n左回転")},
        {kFlipHorizontal, QT_TRANSLATE_NOOP("Commands", "水平方向に反転(&H)"),
         QT_TRANSLATE_NOOP("Commands", "水平方向に反転します\n水平反転")},
        {kFlipVertical, QT_TRANSLATE_NOOP("Commands", "垂直方向に反転(&V)"),
         QT_TRANSLATE_NOOP("Commands", "垂直方向に反転します\n垂直反転")},
        {kBrightness, QT_TRANSLATE_NOOP("Commands", "明るさ・コントラストの調整"),
         QT_TRANSLATE_NOOP("Commands", "明るさ・コントラストの補正をします\n明るさ")},
        {kColorComponents, QT_TRANSLATE_NOOP("Commands", "色成分の調整"),
         QT_TRANSLATE_NOOP("Commands", "色成分(RGB/YCrCb)の調整をします\n色成分")},
        {kUndo, QT_TRANSLATE_NOOP("Commands", "元に戻す"),
         QT_TRANSLATE_NOOP("Commands", "直前の操作を元に戻します\n元に戻す")},
        {kPen, QT_TRANSLATE_NOOP("Commands", "ピクセルペン"),
         QT_TRANSLATE_NOOP("Commands", "選択色でﾋﾟｸｾﾙを塗ります\nﾍﾟﾝ")},
        {kFill, QT_TRANSLATE_NOOP("Commands", "塗りつぶし"),
         QT_TRANSLATE_NOOP("Commands", "選択色で領域を塗りつぶします\n塗り")},
        {kHand, QT_TRANSLATE_NOOP("Commands", "ハンドツール"),
         QT_TRANSLATE_NOOP("Commands", "表示ｴﾘｱを移動します\nﾊﾝﾄﾞ")},
        {kEyedropper, QT_TRANSLATE_NOOP("Commands", "スポイド"),
         QT_TRANSLATE_NOOP("Commands", "ｽﾎﾟｲﾄﾞにより選択色を指定します\nｽﾎﾟｲﾄﾞ")},
        {kPenSize1, QT_TRANSLATE_NOOP("Commands", "１ポイント"), nullptr},
        {kPenSize3, QT_TRANSLATE_NOOP("Commands", "３ポイント"), nullptr},
        {kPenSize5, QT_TRANSLATE_NOOP("Commands", "５ポイント"), nullptr},
        {kZoom3, QT_TRANSLATE_NOOP("Commands", "３倍率"), nullptr},
        {kZoom6, QT_TRANSLATE_NOOP("Commands", "６倍率"), nullptr},
        {kZoom9, QT_TRANSLATE_NOOP("Commands", "９倍率"), nullptr},
        {kZoomIn, QT_TRANSLATE_NOOP("Commands", "拡大"),
         QT_TRANSLATE_NOOP("Commands", "ﾄﾞｯﾄ編集の表示倍率を上げます\n拡大")},
        {kZoomOut, QT_TRANSLATE_NOOP("Commands", "縮小"),
         QT_TRANSLATE_NOOP("Commands", "ﾄﾞｯﾄ編集の表示倍率を下げます\n縮小")},
        {kTolerance0, "0", nullptr},
        {kTolerance5, "5", nullptr},
        {kTolerance20, "20", nullptr},
        {kTolerance50, "50", nullptr},
        {kPenSizeMenu, nullptr, QT_TRANSLATE_NOOP("Commands", "ﾍﾟﾝの幅を指定します\nﾍﾟﾝ幅")},
        {kScaleMenu, nullptr, QT_TRANSLATE_NOOP("Commands", "表示ｻｲｽﾞを変更します\nｽｹｰﾙ")},
        {kToleranceMenu, nullptr,
         QT_TRANSLATE_NOOP("Commands", "塗りつぶし領域の色域値を変更します\n色域値")},
        {kCopyPhoneImage, QT_TRANSLATE_NOOP("Commands", "携帯用画像をコピー"),
         QT_TRANSLATE_NOOP("Commands",
                           "携帯画像をクリップボードへコピーします。\n携帯画像をコピー")},
        {kGetPlugins, QT_TRANSLATE_NOOP("Commands", "Susieプラグイン取得"),
         QT_TRANSLATE_NOOP("Commands", "Susieﾌﾟﾗｸﾞｲﾝを取得します。\nプラグインを取得")},
        {kOpenPluginFolder, QT_TRANSLATE_NOOP("Commands", "プラグインフォルダを開く"),
         QT_TRANSLATE_NOOP(
             "Commands", "Susieﾌﾟﾗｸﾞｲﾝを追加するためのﾌｫﾙﾀﾞを開きます。\nプラグインフォルダOPEN")},
        {kCustomSize, QT_TRANSLATE_NOOP("Commands", "カスタムサイズの設定"),
         QT_TRANSLATE_NOOP("Commands", "カスタム画像サイズを設定します。カスタムサイズ設定")},
        {kMailAccount, QT_TRANSLATE_NOOP("Commands", "メールアカウントの設定"),
         QT_TRANSLATE_NOOP("Commands", "メールアカウントの設定をします\nﾒｰﾙｱｶｳﾝﾄの設定")},
        {kToolBar, QT_TRANSLATE_NOOP("Commands", "ﾂｰﾙ ﾊﾞｰ(&T)"),
         QT_TRANSLATE_NOOP("Commands", "ﾂｰﾙ ﾊﾞｰの 表示/非表示\nﾂｰﾙ ﾊﾞｰの表示切り替え")},
        {kStatusBar, QT_TRANSLATE_NOOP("Commands", "ｽﾃｰﾀｽ ﾊﾞｰ(&S)"),
         QT_TRANSLATE_NOOP("Commands", "ｽﾃｰﾀｽ ﾊﾞｰの 表示/非表示\nｽﾃｰﾀｽ ﾊﾞｰの表示切り替え")},
        {kResampleAuto, QT_TRANSLATE_NOOP("Commands", "自動"),
         QT_TRANSLATE_NOOP("Commands", "従来の15形式はクラシック、高画質の形式とサイズ合わせは"
                                       "面積平均で縮小します\n自動")},
        {kResampleClassic, QT_TRANSLATE_NOOP("Commands", "クラシック"),
         QT_TRANSLATE_NOOP("Commands",
                           "各画素の左上の1点を補間します(従来の形式と同じ画素)\nクラシック")},
        {kResampleArea, QT_TRANSLATE_NOOP("Commands", "面積平均"),
         QT_TRANSLATE_NOOP("Commands",
                           "各画素が覆う範囲の色を平均します(写真に向きます)\n面積平均")},
        {kResampleLanczos, QT_TRANSLATE_NOOP("Commands", "Lanczos"),
         QT_TRANSLATE_NOOP("Commands", "Lanczos-3 フィルタで縮小します(輪郭がくっきり)\nLanczos")},
        {kHelp, QT_TRANSLATE_NOOP("Commands", "モコアPro ヘルプ\tF1"), nullptr},
        {kUpdateInfo, QT_TRANSLATE_NOOP("Commands", "最新版ｱｯﾌﾟﾃﾞｰﾄ情報(&U)"),
         QT_TRANSLATE_NOOP("Commands",
                           "Webサイトで最新版のｱｯﾌﾟﾃﾞｰﾄ情報をﾁｪｯｸします。\nｱｯﾌﾟﾃﾞｰﾄ情報")},
        {kAbout, QT_TRANSLATE_NOOP("Commands", "ﾊﾞｰｼﾞｮﾝ情報(&A)..."),
         QT_TRANSLATE_NOOP("Commands", "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示\nﾊﾞｰｼﾞｮﾝ情報")},
    };
    return commands;
}

const CommandInfo* FindCommand(int id) {
    for (const CommandInfo& info : AllCommands())
        if (info.id == id)
            return &info;
    return nullptr;
}

std::string StatusText(const char* prompt) {
    if (!prompt)
        return {};
    const char* end = std::strchr(prompt, '\n');
    return end ? std::string(prompt, end) : std::string(prompt);
}

std::string TipText(const char* prompt) {
    if (!prompt)
        return {};
    const char* last = std::strrchr(prompt, '\n');
    return last ? std::string(last + 1) : std::string(prompt);
}

const std::vector<MenuNode>& MenuBar() {
    using namespace cmd;
    static const MenuNode kSeparator{0, nullptr, {}};
    auto item = [](int id) { return MenuNode{id, nullptr, {}}; };
    static const std::vector<MenuNode> bar = {
        {-1,
         QT_TRANSLATE_NOOP("Commands", "ﾌｧｲﾙ(&F)"),
         {item(kOpen),
          item(kSave),
          kSeparator,
          item(kSizeCheck),
          {-1, kFitMenuText, {item(kFitJSky), item(kFitEZweb)}},
          item(kTransferRegistration),
          item(kMail),
          item(kWebServer),
          kSeparator,
          item(kExit)}},
        {-1,
         QT_TRANSLATE_NOOP("Commands", "編集(&E)"),
         {item(kAreaSelect),
          item(kDotEdit),
          kSeparator,
          {-1,
           QT_TRANSLATE_NOOP("Commands", "画像切取り"),
           {item(kAspectLock),
            item(kPasteSource),
            item(kCapture),
            kSeparator,
            {-1,
             QT_TRANSLATE_NOOP("Commands", "画像の回転(&R)"),
             {item(kFreeRotation), kSeparator, item(kRotateRight), item(kRotateLeft), kSeparator,
              item(kFlipHorizontal), item(kFlipVertical)}},
            item(kBrightness),
            item(kColorComponents)}},
          {-1,
           QT_TRANSLATE_NOOP("Commands", "画像編集"),
           {item(kUndo),
            kSeparator,
            item(kPen),
            item(kFill),
            item(kHand),
            item(kEyedropper),
            kSeparator,
            {-1,
             QT_TRANSLATE_NOOP("Commands", "ペン先の幅"),
             {item(kPenSize1), item(kPenSize3), item(kPenSize5)}},
            {-1,
             QT_TRANSLATE_NOOP("Commands", "表示スケール"),
             {item(kZoom3), item(kZoom6), item(kZoom9), kSeparator, item(kZoomIn), item(kZoomOut)}},
            {-1,
             QT_TRANSLATE_NOOP("Commands", "塗りの色域値"),
             {item(kTolerance0), item(kTolerance5), item(kTolerance20), item(kTolerance50)}}}},
          kSeparator,
          item(kCopyPhoneImage)}},
        {-1,
         QT_TRANSLATE_NOOP("Commands", "機能拡張"),
         {item(kGetPlugins), item(kOpenPluginFolder), kSeparator, item(kCustomSize),
          item(kMailAccount)}},
        {-1,
         QT_TRANSLATE_NOOP("Commands", "表示(&V)"),
         {item(kToolBar),
          item(kStatusBar),
          kSeparator,
          {-1,
           kResamplingMenuText,
           {item(kResampleAuto), item(kResampleClassic), item(kResampleArea),
            item(kResampleLanczos)}}}},
        {-1,
         QT_TRANSLATE_NOOP("Commands", "ﾍﾙﾌﾟ(&H)"),
         {item(kHelp), item(kUpdateInfo), kSeparator, item(kAbout)}},
    };
    return bar;
}

const std::vector<int>& MainToolBarButtons() {
    using namespace cmd;
    static const std::vector<int> buttons = {kOpen, kCapture,   0, kSizeCheck,  0,       kSave,
                                             kMail, kWebServer, 0, kAreaSelect, kDotEdit};
    return buttons;
}

const std::vector<int>& AdjustToolBarButtons() {
    using namespace cmd;
    static const std::vector<int> buttons = {
        kAspectLock,     0, kRotateLeft,   kRotateRight, kFlipVertical,
        kFlipHorizontal, 0, kFreeRotation, kBrightness,  kColorComponents};
    return buttons;
}

const std::vector<int>& DotEditToolBarButtons() {
    using namespace cmd;
    static const std::vector<int> buttons = {
        kScaleMenu, 0, kHand, kEyedropper, kUndo, 0, kPen, kFill, 0, kPenSizeMenu, kToleranceMenu};
    return buttons;
}
