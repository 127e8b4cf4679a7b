/* clang-format off */
/* A plug-in for the host's tests, built several times with different settings:
 *   FAKE_VERSION    version string
 *   FAKE_FORMATS    1: MAG and PIC, 2: FAKE, 3: LZH
 *   FAKE_SUPPORTED  what IsSupported answers for files starting with "FAKE"
 *   FAKE_MODE       0 decodes, 1 always fails, 2 fails unless retried,
 *                   3 lies as the file says (the character after "FAKE")
 *   FAKE_MARK       0xRRGGBB of the picture's first table entry, to tell plug-ins apart
 *   FAKE_NO_INFO    leaves GetPluginInfo out
 *   FAKE_ENDLESS    answers every info number
 * FakeCallLog() lists the calls received, for the tests to read through dlsym. */
/* clang-format on */
#include "plugins/spi_kit.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#if FAKE_FORMATS == 1
static const SpiFormat kFormats[] = {{"*.mag", "MAG"}, {"*.pic", "PIC"}};
#elif FAKE_FORMATS == 2
static const SpiFormat kFormats[] = {{"*.fk", "FAKE"}};
#else
static const SpiFormat kFormats[] = {{"*.lzh", "LZH archive"}};
#endif

static char call_log[4096];

static void note(const char* call, uint32_t flag) {
    const size_t used = strlen(call_log);
    snprintf(call_log + used, sizeof call_log - used, "%s:%u ", call, flag);
}

SPI_EXPORT const char* FakeCallLog(void) {
    return call_log;
}

/* The character after "FAKE" in the file: which lie to tell. */
static int file_mode(const char* path) {
    char head[5] = {0};
    FILE* file = fopen(path, "rb");
    if (!file)
        return 0;
    const size_t got = fread(head, 1, sizeof head, file);
    fclose(file);
    return got == sizeof head ? head[4] : 0;
}

#ifdef FAKE_NO_INFO
#define INFO_NAME NotTheInfoCall
#else
#define INFO_NAME GetPluginInfo
#endif

SPI_EXPORT int32_t INFO_NAME(int32_t number, char* buffer, int32_t buffer_bytes) {
#ifdef FAKE_ENDLESS
    /* Claims far more than it wrote and never runs out of formats. */
    if (number != SPI_INFO_VERSION) {
        snprintf(buffer, (size_t)buffer_bytes, "*.x%d", number);
        return 100000;
    }
#endif
    return spi_answer_info(number, buffer, buffer_bytes, FAKE_VERSION, "test plug-in", kFormats,
                           (int)(sizeof kFormats / sizeof kFormats[0]));
}

SPI_EXPORT int32_t IsSupported(const char* path, const uint8_t* head) {
    note("IsSupported", 0);
    (void)path;
    return memcmp(head, "FAKE", 4) == 0 ? FAKE_SUPPORTED : 0;
}

SPI_EXPORT int32_t GetPictureInfo(const char* path, int64_t length, uint32_t flag,
                                  SpiPictureInfo* info) {
    (void)length;
    note("GetPictureInfo", flag);
    /* 'I' fails both calls, 'J' the first only, and the retry leaves the text untouched. */
    const int lie = FAKE_MODE == 3 ? file_mode(path) : 0;
    if ((lie == 'I' || lie == 'J') && (lie == 'I' || !(flag & SPI_FLAG_RETRY))) {
        info->text = (char*)(uintptr_t)1; /* no block at all: must not be freed */
        return SPI_DAMAGED;
    }
    info->width = 3;
    info->height = 2;
    info->color_depth = 8;
    if (lie == 'J')
        return SPI_SUCCESS;
    info->text = malloc(16);
    if (info->text) {
        strcpy(info->text, "fake picture");
        info->text_size = 16;
    }
    return SPI_SUCCESS;
}

/* Fills a 3 x 2 picture: top row 0 1 2, bottom row 2 1 0; table mark, white, black. */
static int32_t good_picture(SpiBlock* header, SpiBlock* bits) {
    const int32_t result = spi_new_picture(3, 2, 8, 3, header, bits);
    if (result != SPI_SUCCESS)
        return result;
    spi_set_color(header, 0, (FAKE_MARK >> 16) & 0xFF, (FAKE_MARK >> 8) & 0xFF, FAKE_MARK & 0xFF);
    spi_set_color(header, 1, 255, 255, 255);
    spi_set_color(header, 2, 0, 0, 0);
    for (int x = 0; x < 3; ++x) {
        spi_row(header, bits, 0)[x] = (uint8_t)x;
        spi_row(header, bits, 1)[x] = (uint8_t)(2 - x);
    }
    return SPI_SUCCESS;
}

static void lie(int mode, SpiBlock* header, SpiBlock* bits) {
    SpiBitmapHeader* h = header->data;
    switch (mode) {
    case 'H': /* no header block */
        free(header->data);
        header->data = NULL;
        break;
    case 'B': /* no pixel block */
        free(bits->data);
        bits->data = NULL;
        break;
    case 'S': /* header block shorter than a header */
        header->size = 20;
        break;
    case 'Z': /* blocks of no length */
        header->size = 0;
        bits->size = 0;
        break;
    case 'T': /* a table of 256 entries promised, 3 delivered; indices past it */
        h->colors_used = 256;
        ((uint8_t*)bits->data)[0] = 200;
        break;
    case 'P': /* far more rows than delivered */
        h->width = 100;
        h->height = 100;
        h->bit_count = 24;
        break;
    case 'D':
        h->bit_count = 7;
        break;
    case 'W':
        h->width = 1 << 30;
        h->height = 1 << 30;
        break;
    case 'N':
        h->width = -5;
        break;
    case 'R': /* compressed rows */
        h->compression = 1;
        break;
    case 'M': /* masks announced, none there */
        h->bit_count = 32;
        h->compression = 3;
        h->colors_used = 0;
        header->size = sizeof(SpiBitmapHeader);
        break;
    case 'X':
        h->header_size = 0xFFFFFFF0u;
        break;
    case 'L': /* far more rows than delivered, and a pixel block claimed long enough */
        h->width = 100;
        h->height = 100;
        h->bit_count = 24;
        bits->size = 1u << 20;
        break;
    case 'U': /* a full table promised and a header block claimed long enough to hold it */
        h->colors_used = 256;
        header->size = 1u << 20;
        ((uint8_t*)bits->data)[0] = 200;
        break;
    case 'C': /* a deep picture with a table of four billion entries */
        h->bit_count = 24;
        h->width = 1;
        h->colors_used = 0xFFFFFFFFu;
        break;
    }
}

SPI_EXPORT int32_t GetPicture(const char* path, int64_t length, uint32_t flag, SpiBlock* header,
                              SpiBlock* bits, SpiProgressProc progress, intptr_t user_data) {
    (void)length;
    (void)progress;
    (void)user_data;
    note("GetPicture", flag);
    if (FAKE_MODE == 1 || (FAKE_MODE == 2 && !(flag & SPI_FLAG_RETRY)))
        return SPI_DAMAGED;
    if (FAKE_MODE == 3 && file_mode(path) == 'G') /* a whole 8000 x 8000 picture from 5 bytes */
        return spi_new_picture(8000, 8000, 8, 2, header, bits);
    const int32_t result = good_picture(header, bits);
    if (result == SPI_SUCCESS && FAKE_MODE == 3)
        lie(file_mode(path), header, bits);
    return result;
}
