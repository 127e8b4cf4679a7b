<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>モコア のﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>About MOKOA</translation>
    </message>
    <message>
        <source>モコア Ver 1.01</source>
        <translation>MOKOA Ver 1.01</translation>
    </message>
    <message>
        <source>携帯電話用の画像づくり (Linux 版)</source>
        <translation>Pictures for mobile phones (for Linux)</translation>
    </message>
</context>
<context>
    <name>CBrightnessContrastDlg</name>
    <message>
        <source>明るさ＆コントラスト処理</source>
        <translation>Brightness &amp; Contrast</translation>
    </message>
    <message>
        <source>明るさ：</source>
        <translation>Brightness:</translation>
    </message>
    <message>
        <source>コントラスト：</source>
        <translation>Contrast:</translation>
    </message>
</context>
<context>
    <name>CColorComponentDlg</name>
    <message>
        <source>色成分調整処理(RGB/YCrCb)</source>
        <translation>Colour Components (RGB/YCrCb)</translation>
    </message>
    <message>
        <source>カラータイプ :</source>
        <translation>Colour type:</translation>
    </message>
</context>
<context>
    <name>CCustomSizeDlg</name>
    <message>
        <source>カスタムサイズの定義</source>
        <translation>Custom Size</translation>
    </message>
    <message>
        <source>幅：</source>
        <translation>Width:</translation>
    </message>
    <message>
        <source>高さ：</source>
        <translation>Height:</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CMailAccountDlg</name>
    <message>
        <source>ﾒｰﾙｱｶｳﾝﾄの設定</source>
        <translation>Mail Account</translation>
    </message>
    <message>
        <source>メールアドレス：</source>
        <translation>Mail address:</translation>
    </message>
    <message>
        <source>メールサーバー</source>
        <translation>Mail servers</translation>
    </message>
    <message>
        <source>SMTP：</source>
        <translation>SMTP:</translation>
    </message>
    <message>
        <source>ポート：</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>保護：</source>
        <translation>TLS:</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>None</translation>
    </message>
    <message>
        <source>ユーザー名：</source>
        <translation>User name:</translation>
    </message>
    <message>
        <source>POP：</source>
        <translation>POP:</translation>
    </message>
    <message>
        <source>ﾊﾟｽﾜｰﾄﾞ：</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>パスワードはデスクトップのキーリングに保存します。</source>
        <translation>The password is kept in the desktop&apos;s keyring.</translation>
    </message>
    <message>
        <source>キーリングが使えないため、パスワードは設定ファイル（本人だけが読めます）に保存します。</source>
        <translation>No keyring answers, so the password is kept in the settings file (only you can read it).</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>ﾒｰﾙｱﾄﾞﾚｽが指定されていません。</source>
        <translation>No mail address is given.</translation>
    </message>
    <message>
        <source>SMTPｻｰﾊﾞが指定されていません。</source>
        <translation>No SMTP server is given.</translation>
    </message>
    <message>
        <source>POPｻｰﾊﾞが指定されていません。</source>
        <translation>No POP server is given.</translation>
    </message>
    <message>
        <source>POPﾊﾟｽﾜｰﾄﾞが指定されていません。</source>
        <translation>No POP password is given.</translation>
    </message>
    <message>
        <source>ポート番号は 1 から 65535 で指定してください。</source>
        <translation>Give a port number from 1 to 65535.</translation>
    </message>
    <message>
        <source>ユーザー名を使うときは、保護に STARTTLS か SSL/TLS を選んでください。</source>
        <translation>With a user name, choose STARTTLS or SSL/TLS for TLS.</translation>
    </message>
    <message>
        <source>キーリングに保存できなかったため、パスワードは設定ファイルに保存しました。</source>
        <translation>The keyring did not take the password, so it was kept in the settings file.</translation>
    </message>
</context>
<context>
    <name>CMailProgressDlg</name>
    <message>
        <source>Eﾒｰﾙ送信</source>
        <translation>Send Mail</translation>
    </message>
    <message>
        <source>メールを送信しています…</source>
        <translation>Sending the mail…</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>送信を中止しています…</source>
        <translation>Stopping…</translation>
    </message>
</context>
<context>
    <name>CMailSendDlg</name>
    <message>
        <source>Eﾒｰﾙ送信</source>
        <translation>Send Mail</translation>
    </message>
    <message>
        <source>FROM：</source>
        <translation>From:</translation>
    </message>
    <message>
        <source>宛先： </source>
        <translation>To: </translation>
    </message>
    <message>
        <source>現在の編集画像を送信</source>
        <translation>Send the current phone picture</translation>
    </message>
    <message>
        <source>参照</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>送信</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>SMTPサーバーが指定されていません。<byte value="xd"/>
先にメールアカウントの設定を行ってください。</source>
        <translation>No SMTP server is given.<byte value="xd"/>
Set up the mail account first.</translation>
    </message>
    <message>
        <source>携帯画像ファイルの選択</source>
        <translation>Choose a Phone Picture File</translation>
    </message>
    <message>
        <source>携帯画像ファイル (*.jpg;*.png)|*.jpg;*.jpeg;*.png|JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg|PNG (*.png)|*.png|すべてのファイル (*.*)|*.*||</source>
        <translation>Phone pictures (*.jpg;*.png)|*.jpg;*.jpeg;*.png|JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg|PNG (*.png)|*.png|All files (*.*)|*.*||</translation>
    </message>
    <message>
        <source>宛先が未入力です。</source>
        <translation>No recipient is given.</translation>
    </message>
    <message>
        <source>本文が未入力です。</source>
        <translation>The message is empty.</translation>
    </message>
    <message>
        <source>SMTPサーバーが指定されていません。</source>
        <translation>No SMTP server is given.</translation>
    </message>
    <message>
        <source>送信者が未入力です。</source>
        <translation>No sender is given.</translation>
    </message>
    <message>
        <source>送信画像ファイルが未選択です。</source>
        <translation>No picture file is chosen.</translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>新規携帯画像</source>
        <translation>New phone picture</translation>
    </message>
    <message>
        <source>モコア</source>
        <translation>MOKOA</translation>
    </message>
    <message>
        <source>画像ファイルの読み込み</source>
        <translation>Open Picture File</translation>
    </message>
    <message>
        <source>対応画像ファイル (*.jpg;*.png;*.bmp)|*.jpg;*.jpeg;*.png;*.bmp|JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg|PNG (*.png)|*.png|Bitmap (*.bmp)|*.bmp|</source>
        <translation>Pictures (*.jpg;*.png;*.bmp)|*.jpg;*.jpeg;*.png;*.bmp|JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg|PNG (*.png)|*.png|Bitmap (*.bmp)|*.bmp|</translation>
    </message>
    <message>
        <source>すべてのファイル (*.*)|*.*||</source>
        <translation>All files (*.*)|*.*||</translation>
    </message>
    <message>
        <source>%1 のサイズに合わせています…</source>
        <translation>Fitting to the %1 size limit…</translation>
    </message>
</context>
<context>
    <name>COutputPanel</name>
    <message>
        <source>合わせる</source>
        <translation>Fit</translation>
    </message>
    <message>
        <source>サイズに合わせる</source>
        <translation>Fit to a Size Limit</translation>
    </message>
    <message>
        <source>HSBﾏｯﾌﾟ</source>
        <translation>HSB Map</translation>
    </message>
    <message>
        <source>リサンプリング</source>
        <translation>Resampling</translation>
    </message>
    <message>
        <source>自動</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>クラシック</source>
        <translation>Classic</translation>
    </message>
    <message>
        <source>面積平均</source>
        <translation>Area average</translation>
    </message>
    <message>
        <source>Lanczos</source>
        <translation>Lanczos</translation>
    </message>
    <message>
        <source>選択範囲を携帯のサイズにする方法。自動: 従来の15形式はクラシック、高画質の形式とサイズ合わせは面積平均</source>
        <translation>How the selection becomes the phone&apos;s size. Auto: classic for the 15 classic formats, area average for the high-quality formats and the fit</translation>
    </message>
    <message>
        <source>(合わせ中…) </source>
        <translation>(fitting…) </translation>
    </message>
</context>
<context>
    <name>CRotateDlg</name>
    <message>
        <source>画像の回転</source>
        <translation>Rotate Picture</translation>
    </message>
    <message>
        <source>右の画像をﾄﾞﾗｯｸﾞするか
回転角度を入力してください (0～359)</source>
        <translation>Drag the picture
or type the angle (0-359)</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CScreenCapture</name>
    <message>
        <source>この画面環境では他のウィンドウの表示内容を取り込めません。
(Wayland のセッションでは画面の取り込みが許可されていません)</source>
        <translation>This display does not let the program capture other windows.
(A Wayland session does not allow capturing the screen.)</translation>
    </message>
    <message>
        <source>外部取り込みキャプチャ</source>
        <translation>Screen Capture</translation>
    </message>
</context>
<context>
    <name>CWebServerDlg</name>
    <message>
        <source>携帯WEBサーバー</source>
        <translation>Phone Web Server</translation>
    </message>
    <message>
        <source>WebｻｰﾊﾞURL：</source>
        <translation>Server URL:</translation>
    </message>
    <message>
        <source>ﾌﾞﾗｳｻﾞ表示</source>
        <translation>Browser</translation>
    </message>
    <message>
        <source>ｱﾄﾞﾚｽ：</source>
        <translation>Address:</translation>
    </message>
    <message>
        <source>携帯ｱﾄﾞﾚｽ：</source>
        <translation>Phone mail:</translation>
    </message>
    <message>
        <source>URLﾒｰﾙ通知</source>
        <translation>Mail URL</translation>
    </message>
    <message>
        <source>アクセスログ：</source>
        <translation>Access log:</translation>
    </message>
    <message>
        <source>ポート番号：</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>起動</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>サーバーが起動できません<byte value="xd"/>
<byte value="xd"/>
* インターネット接続状態(TCP/IPが利用できる環境)になっているか<byte value="xd"/>
* すでに同じポート番号のサーバーが起動されていないか<byte value="xd"/>
確認してみてください。</source>
        <translation>The server cannot be started.<byte value="xd"/>
<byte value="xd"/>
* Is the computer connected to the network (TCP/IP available)?<byte value="xd"/>
* Is another server already running on the same port number?<byte value="xd"/>
Please check.</translation>
    </message>
    <message>
        <source>ポート%1は管理者権限が必要なため
ポート%2で起動しました。</source>
        <translation>Port %1 needs administrator rights,
so the server was started on port %2.</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>ﾒｰﾙｱﾄﾞﾚｽが指定されていません。<byte value="xd"/>
先にメールアカウントの設定を行ってください。</source>
        <translation>No mail address is given.<byte value="xd"/>
Set up the mail account first.</translation>
    </message>
    <message>
        <source>SMTPｻｰﾊﾞが指定されていません。<byte value="xd"/>
先にメールアカウントの設定を行ってください。</source>
        <translation>No SMTP server is given.<byte value="xd"/>
Set up the mail account first.</translation>
    </message>
    <message>
        <source>宛先が未入力です。</source>
        <translation>No recipient is given.</translation>
    </message>
</context>
<context>
    <name>Commands</name>
    <message>
        <source>サイズに合わせる</source>
        <translation>&amp;Fit to a Size Limit</translation>
    </message>
    <message>
        <source>ﾚﾃﾞｨ</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>画像ファイルを開く</source>
        <translation>&amp;Open Picture...</translation>
    </message>
    <message>
        <source>素材となる画像ファイルを開きます
画像読込</source>
        <translation>Opens a picture file to work from
Open</translation>
    </message>
    <message>
        <source>携帯用画像の保存</source>
        <translation>&amp;Save Phone Picture...</translation>
    </message>
    <message>
        <source>携帯用画像ファイルを保存します
画像保存</source>
        <translation>Saves the phone picture to a file
Save</translation>
    </message>
    <message>
        <source>携帯保存サイズチェック</source>
        <translation>Check Si&amp;ze for Phones</translation>
    </message>
    <message>
        <source>携帯に利用可能かファイルサイズをテストします
ｻｲｽﾞOK?</source>
        <translation>Tests whether the file size suits the phones
Size OK?</translation>
    </message>
    <message>
        <source>J-Sky (PNG・JPEG 6 KB 以内)</source>
        <translation>&amp;J-Sky (PNG or JPEG, 6 KB at most)</translation>
    </message>
    <message>
        <source>J-Skyの 6 KB 以内で最も画質のよい形式を探して選びます
J-Skyに合わせる</source>
        <translation>Finds and chooses the best-looking format within J-Sky&apos;s 6 KB
Fit J-Sky</translation>
    </message>
    <message>
        <source>EZweb (PNG 7 KB 以内)</source>
        <translation>&amp;EZweb (PNG, 7 KB at most)</translation>
    </message>
    <message>
        <source>EZwebの 7 KB 以内で最も画質のよい形式を探して選びます
EZwebに合わせる</source>
        <translation>Finds and chooses the best-looking format within EZweb&apos;s 7 KB
Fit EZweb</translation>
    </message>
    <message>
        <source>携帯への転送[WEB]登録</source>
        <translation>Register for &amp;Transfer to Phones [Web]</translation>
    </message>
    <message>
        <source>作成した壁紙を携帯電話へ転送する為にサイトへ登録します
携帯電話への転送登録</source>
        <translation>Registers your wallpaper with a site that transfers it to phones
Register for Transfer</translation>
    </message>
    <message>
        <source>ﾒｰﾙに添付して送信</source>
        <translation>Send by &amp;Mail...</translation>
    </message>
    <message>
        <source>Eﾒｰﾙに添付して携帯へ送ります
ﾒｰﾙ送信</source>
        <translation>Sends the picture to a phone, attached to a mail
Mail</translation>
    </message>
    <message>
        <source>携帯Webｻｰﾊﾞの起動</source>
        <translation>Start the Phone &amp;Web Server...</translation>
    </message>
    <message>
        <source>Webサーバを起動し携帯からの接続を待ちます
Webｻｰﾊﾞ</source>
        <translation>Starts the web server and waits for phones to connect
Web Server</translation>
    </message>
    <message>
        <source>ｱﾌﾟﾘｹｰｼｮﾝの終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示
終了</source>
        <translation>Quits the application
Exit</translation>
    </message>
    <message>
        <source>ｴﾘｱ選択</source>
        <translation>&amp;Area Selection</translation>
    </message>
    <message>
        <source>画像から携帯画像に使用するｴﾘｱを選択します
ｴﾘｱ選択</source>
        <translation>Selects the part of the picture that makes the phone picture
Select Area</translation>
    </message>
    <message>
        <source>ﾄﾞｯﾄ編集</source>
        <translation>&amp;Dot Editing</translation>
    </message>
    <message>
        <source>ｴﾘｱ選択された携帯画像を編集します
ﾄﾞｯﾄ編集</source>
        <translation>Edits the phone picture made from the selected area
Edit Dots</translation>
    </message>
    <message>
        <source>縦横比の固定(&amp;L)	Ctrl+L</source>
        <translation>&amp;Lock Aspect Ratio	Ctrl+L</translation>
    </message>
    <message>
        <source>領域選択時の四角の縦横の比率を固定します
縦横比</source>
        <translation>Keeps the selection rectangle at the phone screen&apos;s aspect ratio
Aspect</translation>
    </message>
    <message>
        <source>元画像としてペースト</source>
        <translation>&amp;Paste as Source Picture</translation>
    </message>
    <message>
        <source>クリップボードの内容を元画像としてペースト
元画像としてペースト</source>
        <translation>Pastes the clipboard&apos;s picture as the source picture
Paste as Source</translation>
    </message>
    <message>
        <source>画面キャプチャー取込み</source>
        <translation>Capture from the &amp;Screen...</translation>
    </message>
    <message>
        <source>現在のフレーム内の表示内容を取り込みます
取り込み</source>
        <translation>Captures what the capture frame shows
Capture</translation>
    </message>
    <message>
        <source>自由回転	Ctrl+R</source>
        <translation>&amp;Free Rotation...	Ctrl+R</translation>
    </message>
    <message>
        <source>自由な角度に回転します。
自由回転</source>
        <translation>Rotates by any angle.
Rotate</translation>
    </message>
    <message>
        <source>時計周りに90度</source>
        <translation>90° &amp;Clockwise</translation>
    </message>
    <message>
        <source>時計周り(90度)に回転します。
右回転</source>
        <translation>Rotates clockwise (90 degrees).
Turn Right</translation>
    </message>
    <message>
        <source>反時計周りに90度</source>
        <translation>90° &amp;Anticlockwise</translation>
    </message>
    <message>
        <source>反時計周り(270度)に回転します。
左回転</source>
        <translation>Rotates anticlockwise (270 degrees).
Turn Left</translation>
    </message>
    <message>
        <source>水平方向に反転(&amp;H)</source>
        <translation>Flip &amp;Horizontally</translation>
    </message>
    <message>
        <source>水平方向に反転します
水平反転</source>
        <translation>Flips horizontally
Flip H</translation>
    </message>
    <message>
        <source>垂直方向に反転(&amp;V)</source>
        <translation>Flip &amp;Vertically</translation>
    </message>
    <message>
        <source>垂直方向に反転します
垂直反転</source>
        <translation>Flips vertically
Flip V</translation>
    </message>
    <message>
        <source>明るさ・コントラストの調整</source>
        <translation>&amp;Brightness and Contrast...</translation>
    </message>
    <message>
        <source>明るさ・コントラストの補正をします
明るさ</source>
        <translation>Corrects the brightness and contrast
Brightness</translation>
    </message>
    <message>
        <source>色成分の調整</source>
        <translation>Colour &amp;Components...</translation>
    </message>
    <message>
        <source>色成分(RGB/YCrCb)の調整をします
色成分</source>
        <translation>Adjusts the colour components (RGB/YCrCb)
Colour</translation>
    </message>
    <message>
        <source>元に戻す</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>直前の操作を元に戻します
元に戻す</source>
        <translation>Undoes the last edit
Undo</translation>
    </message>
    <message>
        <source>ピクセルペン</source>
        <translation>Pixel &amp;Pen</translation>
    </message>
    <message>
        <source>選択色でﾋﾟｸｾﾙを塗ります
ﾍﾟﾝ</source>
        <translation>Paints pixels in the chosen colour
Pen</translation>
    </message>
    <message>
        <source>塗りつぶし</source>
        <translation>&amp;Fill</translation>
    </message>
    <message>
        <source>選択色で領域を塗りつぶします
塗り</source>
        <translation>Fills an area with the chosen colour
Fill</translation>
    </message>
    <message>
        <source>ハンドツール</source>
        <translation>&amp;Hand Tool</translation>
    </message>
    <message>
        <source>表示ｴﾘｱを移動します
ﾊﾝﾄﾞ</source>
        <translation>Moves the view
Hand</translation>
    </message>
    <message>
        <source>スポイド</source>
        <translation>&amp;Eyedropper</translation>
    </message>
    <message>
        <source>ｽﾎﾟｲﾄﾞにより選択色を指定します
ｽﾎﾟｲﾄﾞ</source>
        <translation>Picks the chosen colour from the picture
Eyedropper</translation>
    </message>
    <message>
        <source>１ポイント</source>
        <translation>&amp;1 Point</translation>
    </message>
    <message>
        <source>３ポイント</source>
        <translation>&amp;3 Points</translation>
    </message>
    <message>
        <source>５ポイント</source>
        <translation>&amp;5 Points</translation>
    </message>
    <message>
        <source>３倍率</source>
        <translation>&amp;3 Times</translation>
    </message>
    <message>
        <source>６倍率</source>
        <translation>&amp;6 Times</translation>
    </message>
    <message>
        <source>９倍率</source>
        <translation>&amp;9 Times</translation>
    </message>
    <message>
        <source>拡大</source>
        <translation>Zoom &amp;In</translation>
    </message>
    <message>
        <source>ﾄﾞｯﾄ編集の表示倍率を上げます
拡大</source>
        <translation>Enlarges the dot editor&apos;s view
Zoom In</translation>
    </message>
    <message>
        <source>縮小</source>
        <translation>Zoom &amp;Out</translation>
    </message>
    <message>
        <source>ﾄﾞｯﾄ編集の表示倍率を下げます
縮小</source>
        <translation>Reduces the dot editor&apos;s view
Zoom Out</translation>
    </message>
    <message>
        <source>ﾍﾟﾝの幅を指定します
ﾍﾟﾝ幅</source>
        <translation>Sets the pen width
Pen Width</translation>
    </message>
    <message>
        <source>表示ｻｲｽﾞを変更します
ｽｹｰﾙ</source>
        <translation>Changes the zoom
Zoom</translation>
    </message>
    <message>
        <source>塗りつぶし領域の色域値を変更します
色域値</source>
        <translation>Changes how far the filled colours may differ
Tolerance</translation>
    </message>
    <message>
        <source>携帯用画像をコピー</source>
        <translation>&amp;Copy Phone Picture</translation>
    </message>
    <message>
        <source>携帯画像をクリップボードへコピーします。
携帯画像をコピー</source>
        <translation>Copies the phone picture to the clipboard.
Copy Phone Picture</translation>
    </message>
    <message>
        <source>Susieプラグイン取得</source>
        <translation>Get Susie &amp;Plug-ins</translation>
    </message>
    <message>
        <source>Susieﾌﾟﾗｸﾞｲﾝを取得します。
プラグインを取得</source>
        <translation>Gets Susie plug-ins.
Get Plug-ins</translation>
    </message>
    <message>
        <source>プラグインフォルダを開く</source>
        <translation>Open Plug-in &amp;Folder</translation>
    </message>
    <message>
        <source>Susieﾌﾟﾗｸﾞｲﾝを追加するためのﾌｫﾙﾀﾞを開きます。
プラグインフォルダOPEN</source>
        <translation>Opens the folder to put Susie plug-ins in.
Open Plug-in Folder</translation>
    </message>
    <message>
        <source>カスタムサイズの設定</source>
        <translation>&amp;Custom Size...</translation>
    </message>
    <message>
        <source>カスタム画像サイズを設定します。カスタムサイズ設定</source>
        <translation>Sets the custom picture size.</translation>
    </message>
    <message>
        <source>メールアカウントの設定</source>
        <translation>&amp;Mail Account...</translation>
    </message>
    <message>
        <source>メールアカウントの設定をします
ﾒｰﾙｱｶｳﾝﾄの設定</source>
        <translation>Sets up the mail account
Mail Account</translation>
    </message>
    <message>
        <source>ﾂｰﾙ ﾊﾞｰ(&amp;T)</source>
        <translation>&amp;Tool Bar</translation>
    </message>
    <message>
        <source>ﾂｰﾙ ﾊﾞｰの 表示/非表示
ﾂｰﾙ ﾊﾞｰの表示切り替え</source>
        <translation>Shows or hides the tool bar
Toggle Tool Bar</translation>
    </message>
    <message>
        <source>ｽﾃｰﾀｽ ﾊﾞｰ(&amp;S)</source>
        <translation>&amp;Status Bar</translation>
    </message>
    <message>
        <source>ｽﾃｰﾀｽ ﾊﾞｰの 表示/非表示
ｽﾃｰﾀｽ ﾊﾞｰの表示切り替え</source>
        <translation>Shows or hides the status bar
Toggle Status Bar</translation>
    </message>
    <message>
        <source>モコアPro ヘルプ	F1</source>
        <translation>MOKOA Pro &amp;Help	F1</translation>
    </message>
    <message>
        <source>最新版ｱｯﾌﾟﾃﾞｰﾄ情報(&amp;U)</source>
        <translation>&amp;Update Information</translation>
    </message>
    <message>
        <source>Webサイトで最新版のｱｯﾌﾟﾃﾞｰﾄ情報をﾁｪｯｸします。
ｱｯﾌﾟﾃﾞｰﾄ情報</source>
        <translation>Checks the web site for news of the latest version.
Update Information</translation>
    </message>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報(&amp;A)...</source>
        <translation>&amp;About MOKOA...</translation>
    </message>
    <message>
        <source>ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示
ﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>Shows the program&apos;s information, version and copyright
About</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>画像切取り</source>
        <translation>Source &amp;Picture</translation>
    </message>
    <message>
        <source>画像の回転(&amp;R)</source>
        <translation>&amp;Rotate</translation>
    </message>
    <message>
        <source>画像編集</source>
        <translation>&amp;Image Editing</translation>
    </message>
    <message>
        <source>ペン先の幅</source>
        <translation>Pen &amp;Width</translation>
    </message>
    <message>
        <source>表示スケール</source>
        <translation>&amp;Zoom</translation>
    </message>
    <message>
        <source>塗りの色域値</source>
        <translation>Fill &amp;Tolerance</translation>
    </message>
    <message>
        <source>機能拡張</source>
        <translation>E&amp;xtensions</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>ﾍﾙﾌﾟ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>リサンプリング</source>
        <translation>&amp;Resampling</translation>
    </message>
    <message>
        <source>自動</source>
        <translation>&amp;Auto</translation>
    </message>
    <message>
        <source>従来の15形式はクラシック、高画質の形式とサイズ合わせは面積平均で縮小します
自動</source>
        <translation>Classic for the 15 classic formats, area average for the high-quality formats and the fit
Auto</translation>
    </message>
    <message>
        <source>クラシック</source>
        <translation>&amp;Classic</translation>
    </message>
    <message>
        <source>各画素の左上の1点を補間します(従来の形式と同じ画素)
クラシック</source>
        <translation>Interpolates one point at each pixel&apos;s top-left corner (the classic formats&apos; own pixels)
Classic</translation>
    </message>
    <message>
        <source>面積平均</source>
        <translation>A&amp;rea Average</translation>
    </message>
    <message>
        <source>各画素が覆う範囲の色を平均します(写真に向きます)
面積平均</source>
        <translation>Averages the colours each pixel covers (suits photos)
Area Average</translation>
    </message>
    <message>
        <source>Lanczos</source>
        <translation>&amp;Lanczos</translation>
    </message>
    <message>
        <source>Lanczos-3 フィルタで縮小します(輪郭がくっきり)
Lanczos</source>
        <translation>Shrinks with the Lanczos-3 filter (crisp edges)
Lanczos</translation>
    </message>
</context>
<context>
    <name>CoreTexts</name>
    <message>
        <source>全Susieプラグイン対応画像</source>
        <translation>All Susie plug-in pictures</translation>
    </message>
    <message>
        <source>JPEG 高画質 品質%1%2%3 %4バイト</source>
        <translation>JPEG HQ quality %1%2%3 %4 bytes</translation>
    </message>
    <message>
        <source> 平坦</source>
        <translation> flat</translation>
    </message>
    <message>
        <source>PNG 高画質 %1色 平滑%2 %3バイト</source>
        <translation>PNG HQ %1 colours smooth %2 %3 bytes</translation>
    </message>
    <message>
        <source>PNG 高画質 %1色 ディザ%2% %3バイト</source>
        <translation>PNG HQ %1 colours dither %2% %3 bytes</translation>
    </message>
    <message>
        <source>ファイル名に拡張子がありません。</source>
        <translation>The file name has no extension.</translation>
    </message>
    <message>
        <source>ファイルがないか、読み込めません。</source>
        <translation>The file is missing or cannot be read.</translation>
    </message>
    <message>
        <source>対応していない形式です。</source>
        <translation>The format is not supported.</translation>
    </message>
    <message>
        <source>ファイルが壊れています。</source>
        <translation>The file is damaged.</translation>
    </message>
    <message>
        <source>画像が大きすぎます。</source>
        <translation>The picture is too large.</translation>
    </message>
    <message>
        <source>原因のわからないエラーです。</source>
        <translation>An unknown error occurred.</translation>
    </message>
    <message>
        <source>ファイル「%1」を開けませんでした。
%2</source>
        <translation>The file &quot;%1&quot; could not be opened.
%2</translation>
    </message>
    <message>
        <source>カスタムサイズ %1x%2</source>
        <translation>Custom size %1x%2</translation>
    </message>
    <message>
        <source>モコア %1  [%2 x %3]</source>
        <translation>MOKOA %1  [%2 x %3]</translation>
    </message>
    <message>
        <source>なんらかの問題でファイルの保存が出来ません。</source>
        <translation>The file cannot be saved because of some problem.</translation>
    </message>
    <message>
        <source>[PNG %1 バイト]
J-Sky : NG !!
eZweb : NG !!
J-Sky用のPNGファイルは 6 KB 以内にしてください。
eZweb用のPNGファイルは 7 KB 以内にしてください。
（色数を減らしたり、画像のサイズを小さくしたりしてください）</source>
        <translation>[PNG %1 bytes]
J-Sky : NG !!
eZweb : NG !!
PNG files for J-Sky must be 6 KB at most.
PNG files for eZweb must be 7 KB at most.
(Use fewer colours or make the picture smaller.)</translation>
    </message>
    <message>
        <source>[PNG %1 バイト]
eZweb : OK !!
J-Sky : NG !!
J-Sky用のPNGファイルは 6 KB 以内にしてください。
（色数を減らしたり、画像のサイズを小さくしたりしてください）</source>
        <translation>[PNG %1 bytes]
eZweb : OK !!
J-Sky : NG !!
PNG files for J-Sky must be 6 KB at most.
(Use fewer colours or make the picture smaller.)</translation>
    </message>
    <message>
        <source>[JPEG %1 バイト]
J-Sky : NG !!
J-Sky用のJPEGファイルは 6 KB 以内にしてください。
（色数を減らしたり、画像のサイズを小さくしたりしてください）</source>
        <translation>[JPEG %1 bytes]
J-Sky : NG !!
JPEG files for J-Sky must be 6 KB at most.
(Use fewer colours or make the picture smaller.)</translation>
    </message>
    <message>
        <source>%1 %2 バイト OK !</source>
        <translation>%1 %2 bytes OK !</translation>
    </message>
    <message>
        <source>%1 %2 バイト以内: %3 (PSNR %4 dB)</source>
        <translation>%1 within %2 bytes: %3 (PSNR %4 dB)</translation>
    </message>
    <message>
        <source>%1 の %2 バイト以内に収まる形式はありません（最小 %3 バイト）</source>
        <translation>No format fits within the %2 bytes of %1 (smallest %3 bytes)</translation>
    </message>
    <message>
        <source>%1: 画像がないため合わせられません</source>
        <translation>%1: there is no picture to fit</translation>
    </message>
    <message>
        <source>通常のファイルではありません。</source>
        <translation>It is not a regular file.</translation>
    </message>
    <message>
        <source>ファイルが途中で切れています。足りない部分は埋めました。</source>
        <translation>The file is cut short; the missing part has been filled in.</translation>
    </message>
</context>
<context>
    <name>IntegerField</name>
    <message>
        <source>整数を入力してください。</source>
        <translation>Please enter a whole number.</translation>
    </message>
    <message>
        <source>%1 から %2 までの整数を入力してください。</source>
        <translation>Please enter a whole number from %1 to %2.</translation>
    </message>
</context>
<context>
    <name>MailDelivery</name>
    <message>
        <source>ﾊﾟｽﾜｰﾄﾞが見つかりません。<byte value="xd"/>
先にメールアカウントの設定を行ってください。</source>
        <translation>No password is found.<byte value="xd"/>
Set up the mail account first.</translation>
    </message>
    <message>
        <source>メールサーバーに接続できません。</source>
        <translation>Cannot connect to the mail server.</translation>
    </message>
    <message>
        <source>送信を中止しました。</source>
        <translation>The sending was stopped.</translation>
    </message>
    <message>
        <source>送信完了しました。</source>
        <translation>The mail was sent.</translation>
    </message>
</context>
<context>
    <name>OutputFormats</name>
    <message>
        <source>PNG グレースケール 16色</source>
        <translation>PNG 16 greys</translation>
    </message>
    <message>
        <source>PNG グレースケール 256色</source>
        <translation>PNG 256 greys</translation>
    </message>
    <message>
        <source>PNG 最適化 8色</source>
        <translation>PNG 8 colours</translation>
    </message>
    <message>
        <source>PNG 最適化 12色</source>
        <translation>PNG 12 colours</translation>
    </message>
    <message>
        <source>PNG 最適化 16色</source>
        <translation>PNG 16 colours</translation>
    </message>
    <message>
        <source>PNG 最適化 32色</source>
        <translation>PNG 32 colours</translation>
    </message>
    <message>
        <source>PNG 最適化 64色</source>
        <translation>PNG 64 colours</translation>
    </message>
    <message>
        <source>PNG 最適化 128色</source>
        <translation>PNG 128 colours</translation>
    </message>
    <message>
        <source>PNG 最適化 256色</source>
        <translation>PNG 256 colours</translation>
    </message>
    <message>
        <source>PNG WebSafe Color 256色</source>
        <translation>PNG 256 web-safe</translation>
    </message>
    <message>
        <source>PNG 高画質 8色</source>
        <translation>PNG HQ 8 colours</translation>
    </message>
    <message>
        <source>PNG 高画質 12色</source>
        <translation>PNG HQ 12 colours</translation>
    </message>
    <message>
        <source>PNG 高画質 16色</source>
        <translation>PNG HQ 16 colours</translation>
    </message>
    <message>
        <source>PNG 高画質 32色</source>
        <translation>PNG HQ 32 colours</translation>
    </message>
    <message>
        <source>PNG 高画質 64色</source>
        <translation>PNG HQ 64 colours</translation>
    </message>
    <message>
        <source>PNG 高画質 128色</source>
        <translation>PNG HQ 128 colours</translation>
    </message>
    <message>
        <source>PNG 高画質 256色</source>
        <translation>PNG HQ 256 colours</translation>
    </message>
</context>
<context>
    <name>PhoneProfiles</name>
    <message>
        <source>待受</source>
        <translation>Stand-by</translation>
    </message>
    <message>
        <source>着信</source>
        <translation>Call</translation>
    </message>
    <message>
        <source>アラーム</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>電源ON/OFF</source>
        <translation>Power ON/OFF</translation>
    </message>
    <message>
        <source>壁紙</source>
        <translation>Wallpaper</translation>
    </message>
    <message>
        <source>着信/アラーム</source>
        <translation>Call/Alarm</translation>
    </message>
    <message>
        <source>待受/電源ON</source>
        <translation>Stand-by/Power ON</translation>
    </message>
    <message>
        <source>待受/壁紙/電源ON/OFF</source>
        <translation>Stand-by/Wallpaper/Power ON/OFF</translation>
    </message>
    <message>
        <source>待受/壁紙</source>
        <translation>Stand-by/Wallpaper</translation>
    </message>
    <message>
        <source>壁紙/待受</source>
        <translation>Wallpaper/Stand-by</translation>
    </message>
    <message>
        <source>音声着信</source>
        <translation>Voice call</translation>
    </message>
    <message>
        <source>時計ON</source>
        <translation>Clock ON</translation>
    </message>
    <message>
        <source>待受/壁紙/アラーム/電源ON/OFF</source>
        <translation>Stand-by/Wallpaper/Alarm/Power ON/OFF</translation>
    </message>
    <message>
        <source>待受/壁紙/アラーム/Web</source>
        <translation>Stand-by/Wallpaper/Alarm/Web</translation>
    </message>
    <message>
        <source>待受/アラーム</source>
        <translation>Stand-by/Alarm</translation>
    </message>
    <message>
        <source>壁紙・小</source>
        <translation>Wallpaper, small</translation>
    </message>
    <message>
        <source>壁紙・大/電源ON/OFF</source>
        <translation>Wallpaper, large/Power ON/OFF</translation>
    </message>
    <message>
        <source>壁紙・中</source>
        <translation>Wallpaper, medium</translation>
    </message>
    <message>
        <source>壁紙/電源ON/OFF</source>
        <translation>Wallpaper/Power ON/OFF</translation>
    </message>
</context>
<context>
    <name>SaveFlow</name>
    <message>
        <source>PNG (*.png)|*.png|JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg|すべてのファイル (*.*)|*.*||</source>
        <translation>PNG (*.png)|*.png|JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg|All files (*.*)|*.*||</translation>
    </message>
    <message>
        <source>保存する携帯画像がありません。</source>
        <translation>There is no phone picture to save.</translation>
    </message>
    <message>
        <source>ファイル名の拡張子は .png、.jpg、.jpeg のいずれかにしてください。</source>
        <translation>The file name must end in .png, .jpg or .jpeg.</translation>
    </message>
    <message>
        <source>書き込みできませんでした（%1）。</source>
        <translation>It could not be written (%1).</translation>
    </message>
    <message>
        <source>書き込みできませんでした。</source>
        <translation>It could not be written.</translation>
    </message>
    <message>
        <source>画像ファイルの書き込み</source>
        <translation>Save Picture File</translation>
    </message>
    <message>
        <source>ファイル「%1」を保存できませんでした。
%2</source>
        <translation>The file &quot;%1&quot; could not be saved.
%2</translation>
    </message>
    <message>
        <source>このファイルは読み取り専用です。別の名前で保存してください。</source>
        <translation>This file is read-only. Please save under another name.</translation>
    </message>
    <message>
        <source>この名前はフォルダーなど、ファイルでないものを指しています。</source>
        <translation>This name refers to a folder or something else that is not a file.</translation>
    </message>
</context>
<context>
    <name>ToneDialogs</name>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>UserPrompts</name>
    <message>
        <source>モコア</source>
        <translation>MOKOA</translation>
    </message>
</context>
</TS>
