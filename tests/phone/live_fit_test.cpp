#include "phone/live_fit.h"
#include "phone/phone_image_document.h"
#include "phone/selection.h"

#include "common/photo_like_picture.h"
#include "common/test_pictures.h"
#include "common/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <vector>

using testsupport::PhotoLikePicture;
using testsupport::PixelAt;
using testsupport::ReadFileBytes;
using testsupport::SamePixels;
using testsupport::SetPixel;
using testsupport::TempDir;

namespace {

// Keeps the jobs the document launches; the test decides which results come back, and when.
struct HeldRunner : LiveFitRunner {
    std::vector<LiveFitJob> jobs;
    void Launch(LiveFitJob job) override { jobs.push_back(std::move(job)); }
};

// The job's fit as if nobody had told it to stop: a late result of a replaced request.
FitResult RunToTheEnd(LiveFitJob job) {
    job.cancel = std::make_shared<std::atomic<bool>>(false);
    return job.Run();
}

std::string FileOf(const FitResult& fit) {
    return fit.file ? std::string(fit.file->begin(), fit.file->end()) : std::string();
}

class LiveFitTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TMPDIR", dir_.path().c_str(), 1);
        document_.SetLiveFitRunner(&runner_);
        ASSERT_TRUE(document_.SetPicture(PhotoLikePicture(180, 240)));
    }
    void TearDown() override { unsetenv("TMPDIR"); }

    DibPtr Base(const ImageRect& selection, Resampling how) const {
        return MakeBaseImage(document_.Picture(), selection, 60, 80, false, how);
    }
    const OutputPipeline& Pipeline() const { return document_.Pipeline(); }

    TempDir dir_;
    HeldRunner runner_;
    // Custom 60 x 80, "PNG 最適化 12色": a classic format, so auto starts with classic.
    PhoneImageDocument document_{PhoneSettings{60, 80, 0, 3}};
};

TEST_F(LiveFitTest, TheNewestRequestWinsAndBringsItsOwnFile) {
    const ImageRect whole{0, 0, 180, 240};
    ASSERT_TRUE(SamePixels(Pipeline().BaseImage(), Base(whole, Resampling::Classic).get()));

    // Under auto the fit takes area means: the base image is made again for it.
    document_.StartLiveFit(Carrier::EZweb); // PNG only
    EXPECT_TRUE(SamePixels(Pipeline().BaseImage(), Base(whole, Resampling::Area).get()));
    ASSERT_EQ(runner_.jobs.size(), 1u);
    EXPECT_TRUE(document_.LiveFitRunning());

    ASSERT_TRUE(document_.SetSelection({0, 0, 90, 120}));
    ASSERT_EQ(runner_.jobs.size(), 2u);
    EXPECT_TRUE(*runner_.jobs[0].cancel);
    EXPECT_FALSE(*runner_.jobs[1].cancel);
    EXPECT_TRUE(SamePixels(runner_.jobs[1].base.get(), Pipeline().BaseImage()));

    // The replaced request's result is dropped even when it arrives complete, and the
    // format stays until the newest one comes.
    EXPECT_FALSE(document_.TakeLiveFit(runner_.jobs[0].serial, RunToTheEnd(runner_.jobs[0])));
    EXPECT_TRUE(document_.LiveFitRunning());
    EXPECT_FALSE(Pipeline().HasFittedFormat());

    const FitResult newest = runner_.jobs[1].Run();
    ASSERT_TRUE(newest.fits);
    EXPECT_TRUE(document_.TakeLiveFit(runner_.jobs[1].serial, newest));
    EXPECT_FALSE(document_.LiveFitRunning());
    EXPECT_TRUE(document_.LiveFitOn());
    EXPECT_EQ(Pipeline().SelectedFormat(), Pipeline().FittedFormatIndex());
    EXPECT_EQ(Pipeline().Format(), newest.format);
    EXPECT_EQ(ReadFileBytes(Pipeline().TempOutputPath()), FileOf(newest));
    // Delivered twice, it is no longer the answer to a request out.
    EXPECT_FALSE(document_.TakeLiveFit(runner_.jobs[1].serial, newest));

    // Meanwhile a new selection shows the fitted format with a quick file; leaving the mode
    // before its fit comes writes the real one.
    ASSERT_TRUE(document_.SetSelection({30, 40, 150, 200}));
    const std::string quick = ReadFileBytes(Pipeline().TempOutputPath());
    document_.StopLiveFit();
    OutputPipeline alone(PhoneSettings{60, 80, 0, 3});
    alone.SetBaseImage(DibDuplicate(Pipeline().BaseImage(), nullptr), false);
    ASSERT_TRUE(alone.SetFittedFormat(newest.format, newest.size));
    const std::string real = ReadFileBytes(alone.TempOutputPath());
    EXPECT_EQ(ReadFileBytes(Pipeline().TempOutputPath()), real);
    EXPECT_GT(quick.size(), real.size());
}

TEST_F(LiveFitTest, AnotherFormatEndsTheModeAndDotEditsStay) {
    document_.StartLiveFit(Carrier::JSky);
    ASSERT_TRUE(document_.TakeLiveFit(runner_.jobs[0].serial, runner_.jobs[0].Run()));

    // A dot edit is fitted again; choosing the fitted entry itself keeps the mode.
    SetPixel(document_.WorkingCopy(), 1, 1, {255, 0, 255});
    document_.CommitWorkingCopy();
    ASSERT_EQ(runner_.jobs.size(), 2u);
    ASSERT_TRUE(document_.SelectFormat(Pipeline().FittedFormatIndex()));
    EXPECT_TRUE(document_.LiveFitOn());
    EXPECT_EQ(runner_.jobs.size(), 2u);

    ASSERT_TRUE(document_.SelectFormat(4));
    EXPECT_FALSE(document_.LiveFitOn());
    EXPECT_FALSE(document_.LiveFitRunning());
    EXPECT_TRUE(*runner_.jobs[1].cancel);
    EXPECT_FALSE(document_.TakeLiveFit(runner_.jobs[1].serial, RunToTheEnd(runner_.jobs[1])));
    EXPECT_EQ(Pipeline().SelectedFormat(), 4);
    // The edited base keeps its area means rather than lose the edit to the classic sampling.
    EXPECT_EQ(PixelAt(Pipeline().BaseImage(), 1, 1), (testsupport::Rgb{255, 0, 255}));

    // Without edits a classic format takes the classic sampling back; nothing is fitted.
    ASSERT_TRUE(document_.UndoBaseImage());
    ASSERT_TRUE(document_.SelectFormat(5));
    EXPECT_TRUE(
        SamePixels(Pipeline().BaseImage(), Base({0, 0, 180, 240}, Resampling::Classic).get()));
    EXPECT_EQ(runner_.jobs.size(), 2u);
}

// Each choice against a classic and a high-quality format; a change is heard and
// remembered.
TEST_F(LiveFitTest, ResamplingChoiceMakesTheBaseImage) {
    const int highQuality = kClassicFormatCount + 2;
    const struct {
        ResamplingChoice choice;
        Resampling classic, other;
    } cases[] = {
        {ResamplingChoice::Classic, Resampling::Classic, Resampling::Classic},
        {ResamplingChoice::Area, Resampling::Area, Resampling::Area},
        {ResamplingChoice::Lanczos, Resampling::Lanczos, Resampling::Lanczos},
        {ResamplingChoice::Auto, Resampling::Classic, Resampling::Area},
    };
    const ImageRect selection{20, 10, 170, 210};
    ASSERT_TRUE(document_.SetSelection(selection));
    for (const auto& c : cases) {
        ASSERT_TRUE(document_.SelectFormat(3));
        document_.SetResampling(c.choice);
        EXPECT_EQ(document_.Settings().resampling, c.choice);
        EXPECT_TRUE(SamePixels(Pipeline().BaseImage(), Base(selection, c.classic).get()))
            << ResamplingChoiceName(c.choice);
        ASSERT_TRUE(document_.SelectFormat(highQuality));
        EXPECT_TRUE(SamePixels(Pipeline().BaseImage(), Base(selection, c.other).get()))
            << ResamplingChoiceName(c.choice);
    }
    EXPECT_TRUE(runner_.jobs.empty());
}

TEST(LiveFitRules, ResultsOfAnotherBaseOrCancelledAreDropped) {
    const DibPtr a = PhotoLikePicture(40, 30, 1), b = PhotoLikePicture(40, 30, 2);
    LiveFit live;
    EXPECT_FALSE(live.Request(a.get())); // off: nothing to run
    live.Start(Carrier::JSky, {});
    const std::optional<LiveFitJob> job = live.Request(a.get());
    ASSERT_TRUE(job);
    FitResult result = FitToLimit(b.get(), Carrier::JSky);
    EXPECT_FALSE(live.Accept(job->serial, result, a.get()));
    EXPECT_FALSE(live.Running());

    const std::optional<LiveFitJob> again = live.Request(a.get());
    result = job->Run();
    result.cancelled = true;
    EXPECT_FALSE(live.Accept(again->serial, result, a.get()));
    const std::optional<LiveFitJob> third = live.Request(a.get());
    EXPECT_TRUE(live.Accept(third->serial, third->Run(), a.get()));
}

// Real threads: results come back from the workers' own threads, and a fit still running
// when its owner goes is told to stop and delivers nothing more.
TEST(FitWorkers, DeliverFromTheirThreadsAndStopWhenTheOwnerGoes) {
    const DibPtr base = PhotoLikePicture(60, 80);
    std::mutex lock;
    std::condition_variable arrived;
    std::vector<std::pair<uint64_t, FitResult>> delivered;
    LiveFit live;
    live.Start(Carrier::JSky, {});
    std::optional<LiveFitJob> last;
    {
        FitWorkers workers([&](uint64_t serial, const FitResult& result) {
            const std::lock_guard<std::mutex> hold(lock);
            delivered.emplace_back(serial, result);
            arrived.notify_all();
        });
        for (int i = 0; i < 2; ++i)
            workers.Launch(*live.Request(base.get()));
        {
            std::unique_lock<std::mutex> hold(lock);
            ASSERT_TRUE(arrived.wait_for(hold, std::chrono::minutes(2),
                                         [&] { return delivered.size() == 2; }));
        }
        int accepted = 0;
        for (const auto& [serial, result] : delivered)
            accepted += live.Accept(serial, result, base.get()) ? 1 : 0;
        EXPECT_EQ(accepted, 1);
        last = live.Request(base.get());
        workers.Launch(*last);
    }
    EXPECT_TRUE(*last->cancel);
}

} // namespace
