#include "image/loaders.h"
#include "qtimage/dib_clipboard.h"
#include "qtimage/dib_painter.h"
#include "qtimage/dib_qimage.h"

#include "common/test_pictures.h"
#include "common/test_support.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>
#include <QPainter>

#include <cstring>

using testsupport::SamePixels;

namespace {

// The clipboard and painting need an application object; one for the whole run.
class QtApplication : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_qtimage";
        static char* argv[] = {name, nullptr};
        app_ = new QGuiApplication(argc, argv);
    }
    void TearDown() override { delete app_; }

private:
    QGuiApplication* app_ = nullptr;
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtApplication);

// A 24-bit picture in which every pixel has its own colour.
DibPtr Distinct(int width, int height) {
    DibPtr dib(DibCreate(24, width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = DibPixelAddress(dib.get(), x, height - 1 - y);
            p[0] = uint8_t(x * 10);
            p[1] = uint8_t(y * 10);
            p[2] = uint8_t(x + y);
        }
    return dib;
}

QRgb Expected(int x, int y) {
    return qRgb(x + y, y * 10, x * 10);
}

TEST(QImageConversion, PicturesKeepTheirOrientationAndColours) {
    DibPtr dib = Distinct(5, 3);
    const QImage image = DibToQImage(dib.get());
    ASSERT_EQ(image.size(), QSize(5, 3));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(image.pixel(x, y), Expected(x, y)) << x << ", " << y;
    const QImage part = DibToQImage(dib.get(), QRect(3, 1, 10, 10));
    ASSERT_EQ(part.size(), QSize(2, 2));
    EXPECT_EQ(part.pixel(0, 0), Expected(3, 1));

    // Back again, and through every bitmap format the device side may hand us.
    DibPtr back(DibFromDeviceBitmap(image));
    ASSERT_TRUE(back);
    EXPECT_EQ(DibBitCount(back.get()), 32);
    DibPtr wide(DibConvertDepth(back.get(), 24));
    EXPECT_TRUE(SamePixels(wide.get(), dib.get()));
    for (QImage::Format format : {QImage::Format_RGB888, QImage::Format_BGR888,
                                  QImage::Format_ARGB32, QImage::Format_RGBA8888}) {
        SCOPED_TRACE(int(format));
        DibPtr converted(DibFromDeviceBitmap(image.convertToFormat(format)));
        ASSERT_TRUE(converted);
        DibPtr rgb(DibBitCount(converted.get()) == 24 ? DibDuplicate(converted.get(), nullptr)
                                                      : DibConvertDepth(converted.get(), 24));
        EXPECT_TRUE(SamePixels(rgb.get(), dib.get()));
    }
    EXPECT_EQ(DibFromDeviceBitmap(QImage()), nullptr);
    EXPECT_TRUE(DibToQImage(nullptr).isNull());
}

// The view's copy: each pixel the picture's pixel under its centre, at any depth.
TEST(QImageConversion, ScaledCopiesTakeThePixelUnderEachCentre) {
    DibPtr dib = Distinct(9, 6);
    EXPECT_EQ(DibToScaledQImage(dib.get(), QSize(9, 6)), DibToQImage(dib.get()));
    const QImage third = DibToScaledQImage(dib.get(), QSize(3, 2));
    ASSERT_EQ(third.size(), QSize(3, 2));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(third.pixel(x, y), Expected(3 * x + 1, 3 * y + 1)) << x << ", " << y;
    const QImage twice = DibToScaledQImage(dib.get(), QSize(18, 12));
    EXPECT_EQ(twice.pixel(17, 11), Expected(8, 5));
    EXPECT_EQ(twice.pixel(3, 2), Expected(1, 1));
    DibPtr grey(DibConvertDepth(dib.get(), 8));
    DibPtr wide(DibConvertDepth(grey.get(), 24));
    EXPECT_EQ(DibToScaledQImage(grey.get(), QSize(4, 4)),
              DibToScaledQImage(wide.get(), QSize(4, 4)));
    EXPECT_TRUE(DibToScaledQImage(dib.get(), QSize(0, 4)).isNull());
    EXPECT_TRUE(DibToScaledQImage(nullptr, QSize(4, 4)).isNull());
}

TEST(QImageConversion, PaletteAndSixteenBitBitmaps) {
    QImage indexed(3, 1, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255)});
    indexed.scanLine(0)[0] = 1;
    indexed.scanLine(0)[1] = 0;
    indexed.scanLine(0)[2] = 1;
    DibPtr dib(DibFromDeviceBitmap(indexed));
    ASSERT_TRUE(dib);
    EXPECT_EQ(DibBitCount(dib.get()), 8);
    EXPECT_EQ(DibToQImage(dib.get()).pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(DibToQImage(dib.get()).pixel(1, 0), qRgb(255, 0, 0));

    QImage mono(9, 2, QImage::Format_MonoLSB);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(10, 200, 30)});
    mono.fill(0);
    mono.setPixel(8, 1, 1);
    dib = DibFromDeviceBitmap(mono);
    ASSERT_TRUE(dib);
    EXPECT_EQ(DibBitCount(dib.get()), 1);
    EXPECT_EQ(DibToQImage(dib.get()).pixel(8, 1), qRgb(10, 200, 30));
    EXPECT_EQ(DibToQImage(dib.get()).pixel(7, 1), qRgb(0, 0, 0));

    // 5-6-5 bitmaps keep their six green bits through the masks.
    QImage rgb16(2, 1, QImage::Format_RGB16);
    rgb16.setPixel(0, 0, qRgb(0, 0xFC, 0));
    rgb16.setPixel(1, 0, qRgb(0xF8, 0, 0xF8));
    dib = DibFromDeviceBitmap(rgb16);
    ASSERT_TRUE(dib);
    EXPECT_EQ(DibBitCount(dib.get()), 16);
    EXPECT_EQ(DibToQImage(dib.get()).pixel(0, 0), qRgb(0, 0xFC, 0));
    EXPECT_EQ(DibToQImage(dib.get()).pixel(1, 0), qRgb(0xF8, 0, 0xF8));

    DibPtr table(DibCreate(8, 1, 1));
    EXPECT_EQ(DibSetColorTable(table.get(), QList<QRgb>{qRgb(1, 2, 3)}), 1);
    EXPECT_EQ(DibColorTable(table.get())[0], 3);
    EXPECT_EQ(DibSetColorTable(table.get(), QList<QRgb>{}), 1); // default palette
    EXPECT_EQ(DibColorTable(table.get())[0], 0);
    EXPECT_EQ(DibSetColorTable(nullptr, QList<QRgb>{}), 0);
}

TEST(Painting, UnscaledAndNearestNeighbourStretch) {
    DibPtr dib = Distinct(4, 3);
    QImage canvas(10, 10, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        EXPECT_EQ(DibDraw(dib.get(), &painter, 1, 2, -1, -1), 1);
        // Only the top-left 2 x 1 part.
        EXPECT_EQ(DibDraw(dib.get(), &painter, 6, 0, 2, 1), 1);
        EXPECT_EQ(DibDraw(nullptr, &painter, 0, 0, -1, -1), 0);
    }
    EXPECT_EQ(DibDraw(dib.get(), nullptr, 0, 0, -1, -1), 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(canvas.pixel(1 + x, 2 + y), Expected(x, y));
    EXPECT_EQ(canvas.pixel(0, 2), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(7, 0), Expected(1, 0));
    EXPECT_EQ(canvas.pixel(8, 0), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(6, 1), qRgb(255, 255, 255));

    // Three times the size: every source pixel becomes a 3 x 3 block, no blended colours.
    QImage big(12, 9, QImage::Format_RGB32);
    {
        QPainter painter(&big);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        EXPECT_EQ(DibStretchDraw(dib.get(), &painter, 0, 0, -1, -1, 0, 0, 12, 9), 1);
    }
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x)
            ASSERT_EQ(big.pixel(x, y), Expected(x / 3, y / 3)) << x << ", " << y;

    // Halving keeps whole source pixels.
    DibPtr large = Distinct(8, 8);
    QImage half(4, 4, QImage::Format_RGB32);
    {
        QPainter painter(&half);
        DibStretchDraw(large.get(), &painter, 0, 0, -1, -1, 0, 0, 4, 4);
    }
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const QRgb c = half.pixel(x, y);
            const int sx = qBlue(c) / 10, sy = qGreen(c) / 10;
            EXPECT_EQ(c, Expected(sx, sy));
            EXPECT_TRUE(sx / 2 == x && sy / 2 == y) << x << ", " << y;
        }
}

TEST(Clipboard, RoundTripKeepsThePictureAndOffersBothForms) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    ASSERT_TRUE(clipboard);
    DibPtr dib = Distinct(7, 5);
    ASSERT_EQ(DibToClipboard(dib.get()), 1);
    const QMimeData* mime = clipboard->mimeData();
    ASSERT_TRUE(mime);
    EXPECT_TRUE(mime->hasFormat("image/bmp"));
    EXPECT_TRUE(mime->hasImage());

    // The BMP form is a complete file another reader understands.
    QByteArray bmp = mime->data("image/bmp");
    QBuffer buffer(&bmp);
    QImageReader reader(&buffer, "bmp");
    const QImage fromBmp = reader.read();
    ASSERT_FALSE(fromBmp.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(fromBmp.pixel(6, 4), Expected(6, 4));

    DibPtr back(DibFromClipboard());
    ASSERT_TRUE(back);
    EXPECT_EQ(DibBitCount(back.get()), 24);
    EXPECT_TRUE(SamePixels(back.get(), dib.get()));

    // What other programs paste: an ordinary image only.
    auto* foreign = new QMimeData;
    foreign->setImageData(DibToQImage(dib.get()));
    clipboard->setMimeData(foreign);
    back = DibFromClipboard();
    ASSERT_TRUE(back);
    DibPtr wide(DibConvertDepth(back.get(), 24));
    EXPECT_TRUE(SamePixels(wide.get(), dib.get()));

    // Palette pictures come back at 24 bits; an unreadable BMP falls back to the image.
    DibPtr four(DibCreate(4, 3, 2));
    DibBits(four.get())[0] = 0x9C;
    ASSERT_EQ(DibToClipboard(four.get()), 1);
    back = DibFromClipboard();
    ASSERT_TRUE(back);
    EXPECT_EQ(DibBitCount(back.get()), 24);
    EXPECT_EQ(DibToQImage(back.get()).pixel(0, 1), qRgb(255, 0, 0));
    auto* broken = new QMimeData;
    broken->setData("image/bmp", "BM garbage");
    broken->setImageData(DibToQImage(dib.get()));
    clipboard->setMimeData(broken);
    back = DibFromClipboard();
    EXPECT_TRUE(back);

    clipboard->setText("no picture");
    EXPECT_EQ(DibFromClipboard(), nullptr);
    EXPECT_EQ(DibToClipboard(nullptr), 0);
}

} // namespace
