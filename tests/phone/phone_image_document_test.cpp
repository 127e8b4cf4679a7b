#include "phone/phone_image_document.h"

#include "common/test_pictures.h"
#include "common/test_support.h"
#include "image/encoders.h"
#include "phone/selection.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

using testsupport::GradientPicture;
using testsupport::PixelAt;
using testsupport::SamePixels;
using testsupport::SetPixel;
using testsupport::TempDir;

namespace {

struct Recorder : DocumentObserver {
    std::vector<DocumentChanges> heard;
    void DocumentChanged(DocumentChanges changes) override { heard.push_back(changes); }
};

class PhoneImageDocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TMPDIR", dir_.path().c_str(), 1);
        document_.AddObserver(&recorder_);
    }
    void TearDown() override { unsetenv("TMPDIR"); }

    // The base image the selection must give, made the way the windows always made it.
    DibPtr Expected(const ImageRect& selection) const {
        return MakeBaseImage(document_.Picture(), selection, document_.TargetWidth(),
                             document_.TargetHeight(), document_.AspectLock());
    }

    TempDir dir_;
    PhoneImageDocument document_{PhoneSettings{100, 60, 0, 10}}; // 100 x 60, full colour
    Recorder recorder_;
};

TEST_F(PhoneImageDocumentTest, EachChangeMakesItsBaseImageAndIsHeardOnce) {
    // A palette picture is widened; the whole of it is selected.
    DibPtr palette(DibCreate(8, 50, 40));
    for (size_t i = 0; i < DibPixelBytes(palette.get()); ++i)
        DibBits(palette.get())[i] = uint8_t(i % 16);
    ASSERT_TRUE(document_.SetPicture(std::move(palette)));
    EXPECT_EQ(DibBitCount(document_.Picture()), 24);
    EXPECT_EQ(document_.Selection(), (ImageRect{0, 0, 50, 40}));
    EXPECT_TRUE(SamePixels(document_.Pipeline().BaseImage(), Expected({0, 0, 50, 40}).get()));
    EXPECT_EQ(recorder_.heard, (std::vector<DocumentChanges>{kPictureChanged | kSelectionChanged |
                                                             kBaseChanged | kOutputChanged}));

    // A selection reaching beyond the picture is cut to it.
    recorder_.heard.clear();
    ASSERT_TRUE(document_.SetSelection({10, 5, 80, 30}));
    EXPECT_EQ(document_.Selection(), (ImageRect{10, 5, 50, 30}));
    EXPECT_TRUE(SamePixels(document_.Pipeline().BaseImage(), Expected({10, 5, 50, 30}).get()));
    EXPECT_EQ(recorder_.heard,
              (std::vector<DocumentChanges>{kSelectionChanged | kBaseChanged | kOutputChanged}));
    // Nothing of the picture selected: nothing changes.
    recorder_.heard.clear();
    EXPECT_FALSE(document_.SetSelection({60, 0, 90, 10}));
    EXPECT_EQ(document_.Selection(), (ImageRect{10, 5, 50, 30}));
    EXPECT_TRUE(recorder_.heard.empty());

    // The lock takes effect with the next base image.
    document_.SetAspectLock(true);
    EXPECT_EQ(recorder_.heard, std::vector<DocumentChanges>{kAspectLockChanged});
    EXPECT_EQ(DibWidth(document_.Pipeline().BaseImage()), 96); // 40 x 25 into 100 x 60
    ASSERT_TRUE(document_.SetSelection({10, 5, 50, 30}));
    EXPECT_EQ(DibWidth(document_.Pipeline().BaseImage()), 100);
    EXPECT_EQ(DibHeight(document_.Pipeline().BaseImage()), 60);
}

TEST_F(PhoneImageDocumentTest, ProfileStartsAfreshFormatKeepsTheDotEdits) {
    ASSERT_TRUE(document_.SetPicture(GradientPicture(50, 40)));
    ASSERT_TRUE(document_.SetSelection({10, 10, 30, 30}));
    SetPixel(document_.WorkingCopy(), 0, 0, {1, 2, 3});
    document_.CommitWorkingCopy();
    ASSERT_TRUE(document_.UndoAvailable());

    ASSERT_TRUE(document_.SelectFormat(2));
    EXPECT_TRUE(document_.UndoAvailable());
    EXPECT_EQ(PixelAt(document_.Pipeline().BaseImage(), 0, 0), (testsupport::Rgb{1, 2, 3}));

    recorder_.heard.clear();
    ASSERT_TRUE(document_.SelectProfile(22)); // 120 x 160
    EXPECT_EQ(document_.Selection(), (ImageRect{0, 0, 50, 40}));
    EXPECT_FALSE(document_.UndoAvailable());
    EXPECT_EQ(DibWidth(document_.Pipeline().BaseImage()), 120);
    ASSERT_EQ(recorder_.heard.size(), 1u);
    EXPECT_TRUE(recorder_.heard[0] & kProfileChanged);
    EXPECT_TRUE(recorder_.heard[0] & kSelectionChanged);
    EXPECT_FALSE(document_.SelectProfile(152));
    EXPECT_FALSE(document_.SetCustomSize(19, 80));
    EXPECT_EQ(document_.Settings(), (PhoneSettings{100, 60, 22, 2, false}));
}

TEST_F(PhoneImageDocumentTest, TurnsAndAdjustmentsReplaceThePicture) {
    ASSERT_TRUE(document_.SetPicture(GradientPicture(40, 40)));
    ASSERT_TRUE(document_.SetSelection({5, 5, 20, 30}));
    DibPtr before(DibDuplicate(document_.Picture(), nullptr));

    // A square picture turned keeps its size: still a new picture, selected whole.
    recorder_.heard.clear();
    ASSERT_TRUE(document_.TurnPicture(RightAngle::Clockwise));
    ASSERT_EQ(recorder_.heard.size(), 1u);
    EXPECT_TRUE(recorder_.heard[0] & kPictureChanged);
    EXPECT_EQ(document_.Selection(), (ImageRect{0, 0, 40, 40}));
    EXPECT_EQ(PixelAt(document_.Picture(), 39, 0), PixelAt(before.get(), 0, 0));

    // An adjustment of the same size keeps the selection and hands the old picture back.
    ASSERT_TRUE(document_.SetSelection({5, 5, 20, 30}));
    DibPtr turned(DibDuplicate(document_.Picture(), nullptr));
    DibPtr previous = document_.ExchangePicture(GradientPicture(40, 40));
    EXPECT_TRUE(SamePixels(previous.get(), turned.get()));
    EXPECT_EQ(document_.Selection(), (ImageRect{5, 5, 20, 30}));
    EXPECT_TRUE(SamePixels(document_.Pipeline().BaseImage(), Expected({5, 5, 20, 30}).get()));
    // Another size starts from the whole picture.
    previous = document_.ExchangePicture(GradientPicture(30, 20));
    EXPECT_EQ(document_.Selection(), (ImageRect{0, 0, 30, 20}));
    EXPECT_FALSE(document_.ExchangePicture(nullptr));
}

TEST_F(PhoneImageDocumentTest, FailedOpenSaysWhyAndKeepsThePictureAndPhoneImage) {
    ASSERT_TRUE(document_.SetPicture(GradientPicture(20, 20)));
    ASSERT_TRUE(document_.SetSelection({2, 2, 12, 12}));
    DibPtr before(DibDuplicate(document_.Picture(), nullptr));
    DibPtr output(DibDuplicate(document_.Pipeline().OutputImage(), nullptr));
    recorder_.heard.clear();
    const PictureLoad missing = document_.OpenPicture(dir_.file("missing.png"));
    EXPECT_FALSE(missing.loaded);
    EXPECT_EQ(missing.error, LoadError::NotFound);
    EXPECT_FALSE(missing.reason.empty());
    testsupport::WriteFileBytes(dir_.file("junk.jpg"), "\xFF\xD8\xFF garbage");
    const PictureLoad junk = document_.OpenPicture(dir_.file("junk.jpg"));
    EXPECT_FALSE(junk.loaded);
    EXPECT_EQ(junk.error, LoadError::Damaged);
    EXPECT_NE(junk.reason, missing.reason);
    // Nothing changed: the picture, its selection and the phone image that can be saved.
    EXPECT_TRUE(recorder_.heard.empty());
    EXPECT_TRUE(SamePixels(document_.Picture(), before.get()));
    EXPECT_EQ(document_.Selection(), (ImageRect{2, 2, 12, 12}));
    EXPECT_TRUE(SamePixels(document_.Pipeline().OutputImage(), output.get()));

    DibPtr picture = GradientPicture(30, 20);
    ASSERT_EQ(WritePngFile(picture.get(), dir_.file("p.png")), 1);
    const PictureLoad good = document_.OpenPicture(dir_.file("p.png"));
    EXPECT_TRUE(good.loaded) << good.reason;
    EXPECT_TRUE(SamePixels(document_.Picture(), picture.get()));

    // A file cut short opens, and says so.
    DibPtr big = GradientPicture(256, 256);
    ASSERT_EQ(WriteJpegFile(big.get(), dir_.file("whole.jpg"), 90), 1);
    const std::string bytes = testsupport::ReadFileBytes(dir_.file("whole.jpg"));
    testsupport::WriteFileBytes(dir_.file("cut.jpg"), bytes.substr(0, bytes.size() / 2));
    const PictureLoad cut = document_.OpenPicture(dir_.file("cut.jpg"));
    EXPECT_TRUE(cut.loaded);
    EXPECT_EQ(cut.error, LoadError::Truncated);
    EXPECT_EQ(DibWidth(document_.Picture()), 256);
}

TEST_F(PhoneImageDocumentTest, BatchMakesOneBaseImageAtItsEnd) {
    {
        const PhoneImageDocument::ChangeBatch batch(document_);
        ASSERT_TRUE(document_.SetPicture(GradientPicture(60, 30)));
        ASSERT_TRUE(document_.TurnPicture(RightAngle::Mirror));
        ASSERT_TRUE(document_.SetSelection({0, 0, 30, 30}));
        EXPECT_TRUE(recorder_.heard.empty());
        EXPECT_FALSE(document_.Pipeline().BaseImage());
    }
    EXPECT_EQ(recorder_.heard, (std::vector<DocumentChanges>{kPictureChanged | kSelectionChanged |
                                                             kBaseChanged | kOutputChanged}));
    EXPECT_TRUE(SamePixels(document_.Pipeline().BaseImage(), Expected({0, 0, 30, 30}).get()));
}

// Keys and values as the settings file has always held them.
struct MapStore : SettingsStore {
    std::map<std::string, int> values;
    std::optional<int> ReadInt(const char* key) const override {
        const auto it = values.find(key);
        return it == values.end() ? std::nullopt : std::optional<int>(it->second);
    }
    void WriteInt(const char* key, int value) override { values[key] = value; }
};

TEST(PhoneSettingsStore, KeysValuesAndDefaults) {
    MapStore store;
    EXPECT_EQ(ReadPhoneSettings(store), PhoneSettings{});
    store.values = {{"SELECT_FFORMAT", 13}, {"HV_LOCK", 7}, {"CUSTSIZE_WIDTH", 100}};
    const PhoneSettings read = ReadPhoneSettings(store);
    EXPECT_EQ(read, (PhoneSettings{100, 80, 0, 13, true}));

    const PhoneImageDocument document(read);
    MapStore written;
    WritePhoneSettings(written, document.Settings());
    EXPECT_EQ(written.values, (std::map<std::string, int>{{"CUSTSIZE_WIDTH", 100},
                                                          {"CUSTSIZE_HEIGHT", 80},
                                                          {"SELECT_PROFILE", 0},
                                                          {"SELECT_FFORMAT", 13},
                                                          {"HV_LOCK", 1},
                                                          {"RESAMPLING", 0}}));

    // The resampling choice, added later: missing or unknown values are auto.
    for (const auto& [stored, choice] :
         {std::pair{2, ResamplingChoice::Area}, std::pair{3, ResamplingChoice::Lanczos},
          std::pair{9, ResamplingChoice::Auto}, std::pair{-1, ResamplingChoice::Auto}}) {
        store.values["RESAMPLING"] = stored;
        EXPECT_EQ(ReadPhoneSettings(store).resampling, choice) << stored;
    }
}

} // namespace
