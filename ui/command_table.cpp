#include "ui/command_table.h"

#include "ui/command_ids.h"

#include <QtGlobal>

#include <cstring>

const std::vector<CommandInfo>& AllCommands() {
    using namespace cmd;
    static const std::vector<CommandInfo> commands = {
        {kOpen, "画像ファイルを開く", "素材となる画像ファイルを開きます\n画像読込"},
        {kSave, "携帯用画像の保存", "携帯用画像ファイルを保存します\n画像保存"},
        {kSizeCheck, "携帯保存サイズチェック",
         "携帯に利用可能かファイルサイズをテストします\nｻｲｽﾞOK?"},
        {kFitJSky, "J-Sky (PNG・JPEG 6 KB 以内)",
         "J-Skyの 6 KB 以内で最も画質のよい形式を探して選びます\nJ-Skyに合わせる"},
        {kFitEZweb, "EZweb (PNG 7 KB 以内)",
         "EZwebの 7 KB 以内で最も画質のよい形式を探して選びます\nEZwebに合わせる"},
        {kTransferRegistration, "携帯への転送[WEB]登録",
         "作成した壁紙を携帯電話へ転送する為にサイトへ登録します\n携帯電話への転送登録"},
        {kMail, "ﾒｰﾙに添付して送信", "Eﾒｰﾙに添付して携帯へ送ります\nﾒｰﾙ送信"},
        {kWebServer, "携帯Webｻｰﾊﾞの起動", "Webサーバを起動し携帯からの接続を待ちます\nWebｻｰﾊﾞ"},
        {kExit, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)", "ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示\n終了"},
        {kAreaSelect, "ｴﾘｱ選択", "画像から携帯画像に使用するｴﾘｱを選択します\nｴﾘｱ選択"},
        {kDotEdit, "ﾄﾞｯﾄ編集", "ｴﾘｱ選択された携帯画像を編集します\nﾄﾞｯﾄ編集"},
        {kAspectLock, "縦横比の固定(&L)\tCtrl+L",
         "領域選択時の四角の縦横の比率を固定します\n縦横比"},
        {kPasteSource, "元画像としてペースト",
         "クリップボードの内容を元画像としてペースト\n元画像としてペースト"},
        {kCapture, "画面キャプチャー取込み", "現在のフレーム内の表示内容を取り込みます\n取り込み"},
        {kFreeRotation, "自由回転\tCtrl+R", "自由な角度に回転します。\n自由回転"},
        {kRotateRight, "時計周りに90度", "時計周り(90度)に回転します。\n右回転"},
        {kRotateLeft, "反時計周りに90度", "反時計周り(270度)に回転します。\n左回転"},
        {kFlipHorizontal, "水平方向に反転(&H)", "水平方向に反転します\n水平反転"},
        {kFlipVertical, "垂直方向に反転(&V)", "垂直方向に反転します\n垂直反転"},
        {kBrightness, "明るさ・コントラストの調整", "明るさ・コントラストの補正をします\n明るさ"},
        {kColorComponents, "色成分の調整", "色成分(RGB/YCrCb)の調整をします\n色成分"},
        {kUndo, "元に戻す", "直前の操作を元に戻します\n元に戻す"},
        {kPen, "ピクセルペン", "選択色でﾋﾟｸｾﾙを塗ります\nﾍﾟﾝ"},
        {kFill, "塗りつぶし", "選択色で領域を塗りつぶします\n塗り"},
        {kHand, "ハンドツール", "表示ｴﾘｱを移動します\nﾊﾝﾄﾞ"},
        {kEyedropper, "スポイド", "ｽﾎﾟｲﾄﾞにより選択色を指定します\nｽﾎﾟｲﾄﾞ"},
        {kPenSize1, "１ポイント", nullptr},
        {kPenSize3, "３ポイント", nullptr},
        {kPenSize5, "５ポイント", nullptr},
        {kZoom3, "３倍率", nullptr},
        {kZoom6, "６倍率", nullptr},
        {kZoom9, "９倍率", nullptr},
        {kTolerance0, "0", nullptr},
        {kTolerance5, "5", nullptr},
        {kTolerance20, "20", nullptr},
        {kTolerance50, "50", nullptr},
        {kPenSizeMenu, nullptr, "ﾍﾟﾝの幅を指定します\nﾍﾟﾝ幅"},
        {kScaleMenu, nullptr, "表示ｻｲｽﾞを変更します\nｽｹｰﾙ"},
        {kToleranceMenu, nullptr, "塗りつぶし領域の色域値を変更します\n色域値"},
        {kCopyPhoneImage, "携帯用画像をコピー",
         "携帯画像をクリップボードへコピーします。\n携帯画像をコピー"},
        {kGetPlugins, "Susieプラグイン取得", "Susieﾌﾟﾗｸﾞｲﾝを取得します。\nプラグインを取得"},
        {kOpenPluginFolder, "プラグインフォルダを開く",
         "Susieﾌﾟﾗｸﾞｲﾝを追加するためのﾌｫﾙﾀﾞを開きます。\nプラグインフォルダOPEN"},
        {kCustomSize, "カスタムサイズの設定", "カスタム画像サイズを設定します。カスタムサイズ設定"},
        {kMailAccount, "メールアカウントの設定", "メールアカウントの設定をします\nﾒｰﾙｱｶｳﾝﾄの設定"},
        {kToolBar, "ﾂｰﾙ ﾊﾞｰ(&T)", "ﾂｰﾙ ﾊﾞｰの 表示/非表示\nﾂｰﾙ ﾊﾞｰの表示切り替え"},
        {kStatusBar, "ｽﾃｰﾀｽ ﾊﾞｰ(&S)", "ｽﾃｰﾀｽ ﾊﾞｰの 表示/非表示\nｽﾃｰﾀｽ ﾊﾞｰの表示切り替え"},
        {kResampleAuto, QT_TRANSLATE_NOOP("CommandTable", "自動"),
         QT_TRANSLATE_NOOP("CommandTable", "従来の15形式はクラシック、高画質の形式とサイズ合わせは"
                                           "面積平均で縮小します\n自動")},
        {kResampleClassic, QT_TRANSLATE_NOOP("CommandTable", "クラシック"),
         QT_TRANSLATE_NOOP("CommandTable",
                           "各画素の左上の1点を補間します(従来の形式と同じ画素)\nクラシック")},
        {kResampleArea, QT_TRANSLATE_NOOP("CommandTable", "面積平均"),
         QT_TRANSLATE_NOOP("CommandTable",
                           "各画素が覆う範囲の色を平均します(写真に向きます)\n面積平均")},
        {kResampleLanczos, QT_TRANSLATE_NOOP("CommandTable", "Lanczos"),
         QT_TRANSLATE_NOOP("CommandTable",
                           "Lanczos-3 フィルタで縮小します(輪郭がくっきり)\nLanczos")},
        {kHelp, "モコアPro ヘルプ\tF1", nullptr},
        {kUpdateInfo, "最新版ｱｯﾌﾟﾃﾞｰﾄ情報(&U)",
         "Webサイトで最新版のｱｯﾌﾟﾃﾞｰﾄ情報をﾁｪｯｸします。\nｱｯﾌﾟﾃﾞｰﾄ情報"},
        {kAbout, "ﾊﾞｰｼﾞｮﾝ情報(&A)...", "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示\nﾊﾞｰｼﾞｮﾝ情報"},
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
         "ﾌｧｲﾙ(&F)",
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
         "編集(&E)",
         {item(kAreaSelect),
          item(kDotEdit),
          kSeparator,
          {-1,
           "画像切取り",
           {item(kAspectLock),
            item(kPasteSource),
            item(kCapture),
            kSeparator,
            {-1,
             "画像の回転(&R)",
             {item(kFreeRotation), kSeparator, item(kRotateRight), item(kRotateLeft), kSeparator,
              item(kFlipHorizontal), item(kFlipVertical)}},
            item(kBrightness),
            item(kColorComponents)}},
          {-1,
           "画像編集",
           {item(kUndo),
            kSeparator,
            item(kPen),
            item(kFill),
            item(kHand),
            item(kEyedropper),
            kSeparator,
            {-1, "ペン先の幅", {item(kPenSize1), item(kPenSize3), item(kPenSize5)}},
            {-1, "表示スケール", {item(kZoom3), item(kZoom6), item(kZoom9)}},
            {-1,
             "塗りの色域値",
             {item(kTolerance0), item(kTolerance5), item(kTolerance20), item(kTolerance50)}}}},
          kSeparator,
          item(kCopyPhoneImage)}},
        {-1,
         "機能拡張",
         {item(kGetPlugins), item(kOpenPluginFolder), kSeparator, item(kCustomSize),
          item(kMailAccount)}},
        {-1,
         "表示(&V)",
         {item(kToolBar),
          item(kStatusBar),
          kSeparator,
          {-1,
           kResamplingMenuText,
           {item(kResampleAuto), item(kResampleClassic), item(kResampleArea),
            item(kResampleLanczos)}}}},
        {-1, "ﾍﾙﾌﾟ(&H)", {item(kHelp), item(kUpdateInfo), kSeparator, item(kAbout)}},
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
