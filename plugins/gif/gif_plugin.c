/* Image plug-in for GIF through giflib: the first frame, as an 8-bit picture with the
 * frame's colour table. Transparent pixels keep their index and so show the table's colour
 * for it; canvas pixels the frame does not cover take the transparent index too, or the
 * background colour when the frame has no transparency. */
#include "plugins/spi_kit.h"

#include <gif_lib.h>
#include <string.h>
#include <sys/stat.h>

static const SpiFormat kFormats[] = {
    {"*.gif", "GIF"},
};

/* An open file stopped at the first frame's pixels, with where that frame sits. */
typedef struct FirstFrame {
    GifFileType* gif;
    int32_t canvas_width, canvas_height;
    int32_t left, top; /* of the frame within the canvas */
    int transparent;   /* index, or -1 */
} FirstFrame;

static int32_t open_error(int error) {
    switch (error) {
    case D_GIF_ERR_OPEN_FAILED:
    case D_GIF_ERR_READ_FAILED:
    case D_GIF_ERR_NOT_READABLE:
        return SPI_FILE_ERROR;
    case D_GIF_ERR_NOT_GIF_FILE:
        return SPI_UNSUPPORTED;
    case D_GIF_ERR_NOT_ENOUGH_MEM:
        return SPI_OUT_OF_MEMORY;
    default:
        return SPI_DAMAGED;
    }
}

static void close_frame(FirstFrame* frame) {
    if (frame->gif)
        DGifCloseFile(frame->gif, NULL);
    frame->gif = NULL;
}

static int32_t open_first_frame(const char* path, FirstFrame* frame) {
    memset(frame, 0, sizeof *frame);
    frame->transparent = NO_TRANSPARENT_COLOR;
    if (!path)
        return SPI_INTERNAL_ERROR;
    struct stat st;
    if (stat(path, &st) != 0)
        return SPI_FILE_ERROR;
    const uint64_t file_bytes = (uint64_t)st.st_size;
    int error = 0;
    frame->gif = DGifOpenFileName(path, &error);
    if (!frame->gif)
        return open_error(error);
    GifFileType* gif = frame->gif;
    for (;;) {
        GifRecordType type;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            break;
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* data = NULL;
            if (DGifGetExtension(gif, &code, &data) == GIF_ERROR)
                break;
            /* Only the control block right before the frame counts. */
            GraphicsControlBlock control;
            if (code == GRAPHICS_EXT_FUNC_CODE && data &&
                DGifExtensionToGCB(data[0], data + 1, &control) == GIF_OK)
                frame->transparent = control.TransparentColor;
            while (data)
                if (DGifGetExtensionNext(gif, &data) == GIF_ERROR)
                    goto damaged;
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif) == GIF_ERROR)
            break;
        const GifImageDesc* d = &gif->Image;
        /* Compressed pixels hold a few thousand each per byte: a frame beyond what the file
         * may cost cannot be complete, and is refused before its canvas is allocated. */
        if (d->Width <= 0 || d->Height <= 0 ||
            !spi_cost_allowed(d->Width, d->Height, 8, file_bytes))
            break;
        /* A frame outside its screen (or a screen of no size) is shown on its own, and so is
         * one on a screen far bigger than a file of this size can mean. */
        if (d->Left >= 0 && d->Top >= 0 && (int64_t)d->Left + d->Width <= gif->SWidth &&
            (int64_t)d->Top + d->Height <= gif->SHeight &&
            spi_cost_allowed(gif->SWidth, gif->SHeight, 8, file_bytes)) {
            frame->canvas_width = gif->SWidth;
            frame->canvas_height = gif->SHeight;
            frame->left = d->Left;
            frame->top = d->Top;
        } else {
            frame->canvas_width = d->Width;
            frame->canvas_height = d->Height;
        }
        return SPI_SUCCESS;
    }
damaged:
    close_frame(frame);
    return SPI_DAMAGED;
}

static int32_t read_pixels(FirstFrame* frame, SpiBlock* header, SpiBlock* bits) {
    GifFileType* gif = frame->gif;
    const GifImageDesc* d = &gif->Image;
    const ColorMapObject* map = d->ColorMap ? d->ColorMap : gif->SColorMap;
    const int colors = map && map->ColorCount > 0 && map->ColorCount <= 256 ? map->ColorCount : 256;
    int32_t result = spi_new_picture(frame->canvas_width, frame->canvas_height, 8, (uint32_t)colors,
                                     header, bits);
    if (result != SPI_SUCCESS)
        return result;
    for (int i = 0; i < colors; ++i) {
        if (map && map->ColorCount == colors)
            spi_set_color(header, (uint32_t)i, map->Colors[i].Red, map->Colors[i].Green,
                          map->Colors[i].Blue);
        else /* no table in the file: a grey ramp */
            spi_set_color(header, (uint32_t)i, (uint8_t)i, (uint8_t)i, (uint8_t)i);
    }

    const int fill = frame->transparent >= 0 ? frame->transparent : gif->SBackGroundColor;
    if (frame->canvas_width != d->Width || frame->canvas_height != d->Height)
        memset(bits->data, fill & 0xFF, (size_t)bits->size);

    /* Interlaced frames store every 8th row from 0, every 8th from 4, every 4th from 2,
     * then every 2nd from 1. */
    static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    const int passes = d->Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int start = d->Interlace ? kStart[pass] : 0;
        const int step = d->Interlace ? kStep[pass] : 1;
        for (int y = start; y < d->Height; y += step) {
            uint8_t* row = spi_row(header, bits, frame->top + y) + frame->left;
            if (DGifGetLine(gif, row, d->Width) == GIF_ERROR) {
                spi_free_picture(header, bits);
                return SPI_DAMAGED;
            }
        }
    }
    return SPI_SUCCESS;
}

SPI_EXPORT int32_t GetPluginInfo(int32_t number, char* buffer, int32_t buffer_bytes) {
    return spi_answer_info(number, buffer, buffer_bytes, SPI_VERSION_IMAGE,
                           "GIF reader (first frame) for MOKOA", kFormats,
                           (int)(sizeof kFormats / sizeof kFormats[0]));
}

SPI_EXPORT int32_t IsSupported(const char* path, const uint8_t* head) {
    (void)path;
    return head && (memcmp(head, GIF87_STAMP, 6) == 0 || memcmp(head, GIF89_STAMP, 6) == 0);
}

SPI_EXPORT int32_t GetPictureInfo(const char* path, int64_t length, uint32_t flag,
                                  SpiPictureInfo* info) {
    (void)length;
    if (!info || (flag & SPI_INPUT_MASK) != SPI_INPUT_FILE)
        return SPI_INTERNAL_ERROR;
    FirstFrame frame;
    const int32_t result = open_first_frame(path, &frame);
    if (result != SPI_SUCCESS)
        return result;
    info->width = frame.canvas_width;
    info->height = frame.canvas_height;
    info->color_depth = 8;
    close_frame(&frame);
    return SPI_SUCCESS;
}

SPI_EXPORT int32_t GetPicture(const char* path, int64_t length, uint32_t flag, SpiBlock* header,
                              SpiBlock* bits, SpiProgressProc progress, intptr_t user_data) {
    (void)length;
    (void)progress;
    (void)user_data;
    if (!header || !bits || (flag & SPI_INPUT_MASK) != SPI_INPUT_FILE)
        return SPI_INTERNAL_ERROR;
    FirstFrame frame;
    int32_t result = open_first_frame(path, &frame);
    if (result != SPI_SUCCESS)
        return result;
    result = read_pixels(&frame, header, bits);
    close_frame(&frame);
    return result;
}
