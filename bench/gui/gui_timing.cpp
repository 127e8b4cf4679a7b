// Times the desktop program's start (main window built and painted, no start-up picture)
// and the opening of a picture until the window has repainted with it; optionally saves
// a grab of the window; with --reapply, times brightness changes through the tone dialog
// (each one: adjusted copy of the whole picture, new output, repaint); with --fit, times
// the サイズに合わせる command for a carrier until its first result is shown; with
// --live-drags N as well, drags N selections with the fit following them, a drag every
// 40 ms, and reports how long each release kept the user-interface thread and the longest
// stall of its event loop (a timer that wants to run every millisecond). Run it under a
// real X server, e.g. bench/gui/gui_timing.sh.
//   mokoa-gui-timing [--open PICTURE] [--grab OUT.png] [--select X Y X Y] [--profile N]
//                    [--reapply N] [--fit jsky|ezweb [--live-drags N]]
#include "app/phone_image_app.h"
#include "phone/phone_image_document.h"
#include "ui/command_ids.h"
#include "ui/document_signals.h"
#include "ui/main_frame.h"
#include "ui/output_panel.h"
#include "ui/source_view.h"
#include "ui/tone_dialogs.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Runs the event loop until the live fit has nothing out (or 60 s have gone).
void WaitForFit(const PhoneImageDocument& document) {
    QElapsedTimer waited;
    waited.start();
    while (document.LiveFitRunning() && waited.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
}

double Median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();
    CPhoneImageApp app(argc, argv);
    QString open, grab, fit;
    int profile = -1, reapply = 0, liveDrags = 0;
    QList<int> select;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == "--open" && i + 1 < args.size())
            open = args[++i];
        else if (args[i] == "--grab" && i + 1 < args.size())
            grab = args[++i];
        else if (args[i] == "--fit" && i + 1 < args.size())
            fit = args[++i];
        else if (args[i] == "--live-drags" && i + 1 < args.size())
            liveDrags = args[++i].toInt();
        else if (args[i] == "--reapply" && i + 1 < args.size())
            reapply = args[++i].toInt();
        else if (args[i] == "--profile" && i + 1 < args.size())
            profile = args[++i].toInt();
        else if (args[i] == "--select" && i + 4 < args.size())
            for (int k = 0; k < 4; ++k)
                select.append(args[++i].toInt());
    }
    const qint64 appReady = clock.nsecsElapsed();
    CMainFrame frame;
    frame.show();
    if (!QTest::qWaitForWindowExposed(&frame, 10000))
        return 1;
    frame.repaint();
    QCoreApplication::processEvents();
    const qint64 shown = clock.nsecsElapsed();
    std::printf("application object: %.1f ms\nmain window shown:  %.1f ms\n", appReady / 1e6,
                shown / 1e6);
    if (profile >= 0)
        frame.OutputPanel()->Profiles()->setCurrentIndex(profile);
    if (!open.isEmpty()) {
        QElapsedTimer opening;
        opening.start();
        frame.OpenPictureFile(open);
        frame.SourceView()->repaint();
        frame.OutputPanel()->repaint();
        QCoreApplication::processEvents();
        std::printf("picture opened and shown: %.1f ms (%s)\n", opening.nsecsElapsed() / 1e6,
                    frame.Document().HasPicture() ? "loaded" : "NOT loaded");
        QElapsedTimer repaint;
        repaint.start();
        const int rounds = 20;
        for (int i = 0; i < rounds; ++i)
            frame.SourceView()->repaint();
        std::printf("source view repaint: %.2f ms each\n", repaint.nsecsElapsed() / 1e6 / rounds);
    }
    if (select.size() == 4) {
        QWidget* view = frame.SourceView();
        QTest::mousePress(view, Qt::LeftButton, {}, QPoint(select[0], select[1]));
        QTest::mouseMove(view, QPoint(select[2], select[3]));
        QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(select[2], select[3]));
    }
    if (reapply > 0 && frame.Document().HasPicture()) {
        CBrightnessContrastDlg dialog(frame.Signals(), &frame);
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog, 10000))
            return 1;
        QSlider* slider = dialog.BrightnessSlider();
        double slowest = 0, total = 0;
        for (int i = 0; i < reapply; ++i) {
            QElapsedTimer one;
            one.start();
            slider->setValue((i % 2 ? -1 : 1) * (10 + i));
            QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(1, 1));
            frame.SourceView()->repaint();
            frame.OutputPanel()->repaint();
            QCoreApplication::processEvents();
            const double ms = one.nsecsElapsed() / 1e6;
            total += ms;
            slowest = std::max(slowest, ms);
        }
        QElapsedTimer cancel;
        cancel.start();
        dialog.reject();
        frame.SourceView()->repaint();
        QCoreApplication::processEvents();
        std::printf("tone re-apply: %.1f ms each, slowest %.1f ms; cancel %.1f ms\n",
                    total / reapply, slowest, cancel.nsecsElapsed() / 1e6);
    }
    if (!fit.isEmpty()) {
        QElapsedTimer fitting;
        fitting.start();
        frame.RunCommand(fit == "ezweb" ? cmd::kFitEZweb : cmd::kFitJSky);
        const double started = fitting.nsecsElapsed() / 1e6;
        WaitForFit(frame.Document());
        frame.OutputPanel()->repaint();
        QCoreApplication::processEvents();
        std::printf("fit to %s: command returned after %.1f ms, result shown after %.1f ms (%s)\n",
                    qPrintable(fit), started, fitting.nsecsElapsed() / 1e6,
                    qPrintable(frame.OutputPanel()->Formats()->currentText()));
    }
    if (!fit.isEmpty() && liveDrags > 0 && frame.Document().HasPicture()) {
        // The event loop's stalls: gaps between runs of a timer due every millisecond.
        QElapsedTimer loop;
        loop.start();
        qint64 lastTick = 0, longestStall = 0;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const qint64 now = loop.nsecsElapsed();
            longestStall = std::max(longestStall, now - lastTick);
            lastTick = now;
        });
        ticker.start(1);
        QWidget* view = frame.SourceView();
        const QRect area = view->rect().adjusted(40, 40, -40, -40);
        std::vector<double> releases;
        int resultsShown = 0;
        QObject::connect(frame.Signals(), &DocumentSignals::fitChanged, [&] {
            if (!frame.Document().LiveFitRunning())
                ++resultsShown;
        });
        lastTick = loop.nsecsElapsed();
        for (int i = 0; i < liveDrags; ++i) {
            // Selections of changing size and place across the picture.
            const QPoint from(area.left() + (i * 37) % (area.width() / 2),
                              area.top() + (i * 23) % (area.height() / 2));
            const QPoint to(from.x() + area.width() / 3 + (i * 13) % (area.width() / 4),
                            from.y() + area.height() / 3 + (i * 17) % (area.height() / 4));
            QTest::mousePress(view, Qt::LeftButton, {}, from);
            QTest::mouseMove(view, (from + to) / 2);
            QElapsedTimer release;
            release.start();
            QTest::mouseRelease(view, Qt::LeftButton, {}, to);
            releases.push_back(release.nsecsElapsed() / 1e6);
            QTest::qWait(40);
        }
        WaitForFit(frame.Document());
        ticker.stop();
        std::printf("live fit over %d drags: release median %.1f ms, longest %.1f ms; longest "
                    "event-loop stall %.1f ms; %d results shown, the last %s\n",
                    liveDrags, Median(releases),
                    *std::max_element(releases.begin(), releases.end()), longestStall / 1e6,
                    resultsShown, qPrintable(frame.OutputPanel()->Formats()->currentText()));
    }
    if (!grab.isEmpty()) {
        QCoreApplication::processEvents();
        frame.grab().save(grab);
    }
    return 0;
}
