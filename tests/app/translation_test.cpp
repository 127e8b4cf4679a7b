// Run once with an English and once with a Japanese locale (see CMakeLists.txt).
#include "app/program_translations.h"
#include "desktop/program_paths.h"
#include "phone/fit_to_limit.h"
#include "phone/formats.h"
#include "phone/output_pipeline.h"
#include "phone/profile_selection.h"
#include "phone/size_check.h"
#include "tests/common/qt_test_support.h"
#include "tests/ui/fake_prompts.h"
#include "ui/command_ids.h"
#include "ui/core_texts.h"
#include "ui/main_frame.h"
#include "ui/output_panel.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace {

// Kana, kanji and the full- and half-width forms: what no English text holds.
bool HasJapanese(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x3000 && u <= 0x30FF) || (u >= 0x4E00 && u <= 0x9FFF) ||
            (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

void AllActions(const QList<QAction*>& actions, QList<QAction*>* out) {
    for (QAction* action : actions) {
        out->append(action);
        if (action->menu())
            AllActions(action->menu()->actions(), out);
    }
}

} // namespace

class TranslationTest : public QObject {
    Q_OBJECT
    bool japanese_ = false;

    // In Japanese the windows word a core result exactly as the core does; in English
    // they word it without a Japanese character.
    void CheckWording(const QString& shown, const std::string& core) {
        if (japanese_)
            QCOMPARE(shown, QString::fromStdString(core));
        else
            QVERIFY2(!HasJapanese(shown), qPrintable(shown));
    }

private slots:
    void initTestCase() {
        japanese_ = qEnvironmentVariable("MOKOA_EXPECTED_LANGUAGE") == "ja";
        QCOMPARE(UiLanguageOf() == UiLanguage::kJapanese, japanese_);
    }

    void windowsAndQtsDialogsSpeakTheLocalesLanguage() {
        const ProgramTranslations translations(UiLanguageOf());
        QCOMPARE(translations.ProgramLoaded(), !japanese_);
        QVERIFY(translations.QtLoaded());
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                 QString(japanese_ ? "キャンセル" : "Cancel"));
        QVERIFY(HelpFilePath().endsWith(japanese_ ? "/help/top.htm" : "/help/en/top.htm"));

        FakePrompts prompts;
        CMainFrame frame(&prompts);
        QCOMPARE(frame.menuBar()->actions()[0]->text(), QString(japanese_ ? "ﾌｧｲﾙ(&F)" : "&File"));
        QCOMPARE(frame.Action(cmd::kAspectLock)->shortcut(), QKeySequence("Ctrl+L"));
        if (japanese_)
            return;
        // Every menu, status text, tool tip, button label and list entry, and the Open
        // dialog's title and filter.
        QList<QAction*> actions;
        AllActions(frame.menuBar()->actions(), &actions);
        for (QAction* action : actions)
            for (const QString& text :
                 {action->text(), action->statusTip(), action->toolTip(), action->iconText()})
                QVERIFY2(!HasJapanese(text), qPrintable(text));
        QVERIFY(!HasJapanese(frame.windowTitle()));
        for (const QComboBox* list :
             {frame.OutputPanel()->Profiles(), frame.OutputPanel()->Formats()})
            for (int i = 0; i < list->count(); ++i)
                QVERIFY2(!HasJapanese(list->itemText(i)), qPrintable(list->itemText(i)));
        frame.RunCommand(cmd::kOpen);
        QVERIFY(!HasJapanese(prompts.openRequests.value(0).title));
        QVERIFY(!HasJapanese(prompts.openRequests.value(0).filter));
    }

    void coreResultsWordedInTheLanguage() {
        const ProgramTranslations translations(UiLanguageOf());
        const ProfileSelection profile(96, 72, 0);
        for (int i = 0; i < kProfileListCount; ++i)
            CheckWording(ProfileItemText(profile, i), profile.ItemText(i));
        for (int index : {0, 21, 120}) {
            const ProfileSelection selected(96, 72, index);
            CheckWording(ProfileCaption(selected), selected.Caption());
        }

        OutputPipeline pipeline;
        for (int i = 0; i < int(OutputFormats().size()); ++i)
            CheckWording(FormatItemText(pipeline, i), pipeline.FormatText(i));
        for (const OutputFormat& format :
             {OutputFormat::HighQualityPng(37, 25), OutputFormat::RunBiasPng(105, 15),
              OutputFormat::HighQualityJpeg(80, true, true)}) {
            QVERIFY(pipeline.SetFittedFormat(format, 5972));
            const int fitted = pipeline.FittedFormatIndex();
            CheckWording(FormatItemText(pipeline, fitted), pipeline.FormatText(fitted));
        }

        for (bool png : {true, false})
            for (int64_t size : {-1, 0, 5999, 6000, 6001, 7000, 7001}) {
                const SizeCheckResult result = CheckOutputSize(png, size);
                CheckWording(SizeCheckText(result, png), result.message);
            }

        FitResult found{true, OutputFormat::HighQualityPng(37, 25), 5972, 38.125, 37, 9};
        FitResult none{false, {}, 6400, 0, 0, 9};
        for (Carrier carrier : {Carrier::JSky, Carrier::EZweb})
            for (const FitResult& result : {found, none, FitResult{}})
                CheckWording(FitSummaryText(result, carrier), FitSummary(result, carrier));

        const std::string filter = "全Susieプラグイン対応画像|*.gif|GIF (*.gif)|*.gif|";
        CheckWording(PluginFilterText(QString::fromStdString(filter)), filter);
        if (!japanese_)
            for (LoadError error :
                 {LoadError::NoExtension, LoadError::NotFound, LoadError::Unsupported,
                  LoadError::Damaged, LoadError::TooLarge})
                QVERIFY(!HasJapanese(OpenFailureMessage("/tmp/x.png", error)));
    }
};

MOKOA_QT_TEST(TranslationTest);
#include "translation_test.moc"
