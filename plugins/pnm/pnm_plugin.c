/* Image plug-in for the portable any-map family: P1 to P6, plain (ASCII) and raw, with
 * samples up to 65535. Bitmaps come out at 1 bit, grey maps at 8 bits with a grey table,
 * pixmaps at 24 bits. Only the first picture of a file is read. */
#include "plugins/spi_kit.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

static const SpiFormat kFormats[] = {
    {"*.pnm;*.pbm;*.pgm;*.ppm", "Portable anymap"},
};

enum { kMaxCommentBytes = 4096 };

typedef struct Reader {
    FILE* file;
    int64_t file_size;
    /* Header comments for the picture information, when wanted. */
    char* comments;
    size_t comment_length;
} Reader;

typedef struct Header {
    int kind; /* 1..6 */
    uint32_t width, height, maxval;
} Header;

static int is_space(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

static int is_digit(int c) {
    return c >= '0' && c <= '9';
}

static void keep_comment_char(Reader* r, int c) {
    if (r->comments && r->comment_length + 1 < kMaxCommentBytes)
        r->comments[r->comment_length++] = (char)c;
}

/* The next character that is neither white space nor part of a comment. */
static int skip_space(Reader* r) {
    for (;;) {
        int c = getc_unlocked(r->file);
        if (c == '#') {
            if (r->comments && r->comment_length > 0)
                keep_comment_char(r, '\n');
            while ((c = getc_unlocked(r->file)) != EOF && c != '\n' && c != '\r')
                keep_comment_char(r, c);
        }
        if (c == EOF || !is_space(c))
            return c;
    }
}

/* A decimal number no larger than `limit`. `ended_by_space` tells whether a white-space
 * character ended it (and was consumed), as the last header field of a raw file needs. */
static int read_number(Reader* r, uint32_t limit, uint32_t* value, int* ended_by_space) {
    int c = skip_space(r);
    if (!is_digit(c))
        return 0;
    uint64_t v = 0;
    for (; is_digit(c); c = getc_unlocked(r->file)) {
        v = v * 10 + (uint64_t)(c - '0');
        if (v > limit)
            return 0;
    }
    if (ended_by_space)
        *ended_by_space = is_space(c);
    if (c != EOF && !is_space(c))
        ungetc(c, r->file);
    *value = (uint32_t)v;
    return 1;
}

static int32_t read_header(Reader* r, Header* h) {
    if (getc_unlocked(r->file) != 'P')
        return SPI_UNSUPPORTED;
    const int kind = getc_unlocked(r->file) - '0';
    if (kind < 1 || kind > 6)
        return SPI_UNSUPPORTED;
    h->kind = kind;
    h->maxval = 1;
    int spaced = 0;
    /* Sides beyond 65535 are no picture anyone can use, and keep the size sums small. */
    if (!read_number(r, 65535, &h->width, &spaced) || !read_number(r, 65535, &h->height, &spaced))
        return SPI_DAMAGED;
    if (kind != 1 && kind != 4 && !read_number(r, 65535, &h->maxval, &spaced))
        return SPI_DAMAGED;
    /* Raw samples start right after one white-space character. */
    if (kind >= 4 && !spaced)
        return SPI_DAMAGED;
    if (h->width == 0 || h->height == 0 || h->maxval == 0)
        return SPI_DAMAGED;
    return SPI_SUCCESS;
}

static int32_t open_reader(const char* path, Reader* r) {
    memset(r, 0, sizeof *r);
    if (!path)
        return SPI_INTERNAL_ERROR;
    r->file = fopen(path, "rb");
    if (!r->file)
        return SPI_FILE_ERROR;
    struct stat st;
    if (fstat(fileno(r->file), &st) != 0) {
        fclose(r->file);
        return SPI_FILE_ERROR;
    }
    r->file_size = (int64_t)st.st_size;
    return SPI_SUCCESS;
}

static int64_t bytes_left(Reader* r) {
    const long at = ftell(r->file);
    return at < 0 ? 0 : r->file_size - at;
}

/* Sample scaled from 0..maxval to 0..255, rounded. */
static uint8_t scale(uint32_t v, uint32_t maxval) {
    return (uint8_t)(((uint64_t)v * 255 + maxval / 2) / maxval);
}

static int32_t read_bitmap(Reader* r, const Header* h, SpiBlock* header, SpiBlock* bits) {
    spi_set_color(header, 0, 255, 255, 255);
    spi_set_color(header, 1, 0, 0, 0); /* 1 is black */
    const size_t row_bytes = (h->width + 7) / 8;
    for (uint32_t y = 0; y < h->height; ++y) {
        uint8_t* row = spi_row(header, bits, (int32_t)y);
        if (h->kind == 4) {
            if (fread(row, 1, row_bytes, r->file) != row_bytes)
                return SPI_DAMAGED;
            continue;
        }
        for (uint32_t x = 0; x < h->width; ++x) {
            const int c = skip_space(r);
            if (c != '0' && c != '1')
                return SPI_DAMAGED;
            if (c == '1')
                row[x / 8] |= (uint8_t)(0x80 >> (x % 8));
        }
    }
    return SPI_SUCCESS;
}

/* The samples of one row, raw (read whole, one or two bytes each, most significant first)
 * or plain; false when the data ends early or a sample is above maxval. */
static int read_row(Reader* r, const Header* h, uint8_t* raw_row, size_t count, uint32_t* out) {
    const int wide = h->maxval > 255;
    if (h->kind >= 4) {
        const size_t bytes = count * (wide ? 2 : 1);
        if (fread(raw_row, 1, bytes, r->file) != bytes)
            return 0;
        for (size_t i = 0; i < count; ++i)
            out[i] = wide ? (uint32_t)raw_row[2 * i] << 8 | raw_row[2 * i + 1] : raw_row[i];
    } else {
        for (size_t i = 0; i < count; ++i)
            if (!read_number(r, 65535, &out[i], NULL))
                return 0;
    }
    for (size_t i = 0; i < count; ++i)
        if (out[i] > h->maxval)
            return 0;
    return 1;
}

static int32_t read_samples(Reader* r, const Header* h, SpiBlock* header, SpiBlock* bits) {
    const int grey = h->kind == 2 || h->kind == 5;
    const int wide = h->maxval > 255;
    const size_t count = (size_t)h->width * (grey ? 1 : 3);
    /* Grey maps of up to 256 levels index a table of their own levels; deeper ones are
     * scaled to 256 levels. */
    if (grey)
        for (uint32_t i = 0; i < (wide ? 256 : h->maxval + 1); ++i) {
            const uint8_t g = wide ? (uint8_t)i : scale(i, h->maxval);
            spi_set_color(header, i, g, g, g);
        }
    uint8_t levels[256];
    for (uint32_t i = 0; i < 256 && !wide; ++i)
        levels[i] = grey ? (uint8_t)i : i <= h->maxval ? scale(i, h->maxval) : 0;

    uint8_t* raw_row = malloc(count * 2);
    uint32_t* samples = malloc(count * sizeof *samples);
    int32_t result = raw_row && samples ? SPI_SUCCESS : SPI_OUT_OF_MEMORY;
    for (uint32_t y = 0; y < h->height && result == SPI_SUCCESS; ++y) {
        if (!read_row(r, h, raw_row, count, samples)) {
            result = SPI_DAMAGED;
            break;
        }
        uint8_t* row = spi_row(header, bits, (int32_t)y);
        for (size_t i = 0; i < count; ++i) {
            const uint8_t v = wide ? scale(samples[i], h->maxval) : levels[samples[i]];
            /* Red, green, blue in the file; blue, green, red in the picture. */
            row[grey ? i : i + 2 - 2 * (i % 3)] = v;
        }
    }
    free(raw_row);
    free(samples);
    return result;
}

static int32_t decode(Reader* r, SpiBlock* header, SpiBlock* bits) {
    Header h;
    int32_t result = read_header(r, &h);
    if (result != SPI_SUCCESS)
        return result;

    /* Refuse a picture the file cannot hold before allocating it: a raw row needs its
     * bytes, a plain sample at least one character. */
    const int grey = h.kind == 2 || h.kind == 5;
    const uint64_t samples = (uint64_t)h.width * h.height * (h.kind == 3 || h.kind == 6 ? 3 : 1);
    uint64_t needed = samples;
    if (h.kind == 4)
        needed = (uint64_t)((h.width + 7) / 8) * h.height;
    else if (h.kind >= 5)
        needed = samples * (h.maxval > 255 ? 2 : 1);
    if (needed > (uint64_t)bytes_left(r))
        return SPI_DAMAGED;

    const int bitmap = h.kind == 1 || h.kind == 4;
    const int bit_count = bitmap ? 1 : grey ? 8 : 24;
    const uint32_t colors = bitmap ? 2 : grey ? (h.maxval > 255 ? 256 : h.maxval + 1) : 0;
    result = spi_new_picture((int32_t)h.width, (int32_t)h.height, bit_count, colors, header, bits);
    if (result != SPI_SUCCESS)
        return result;
    result = bitmap ? read_bitmap(r, &h, header, bits) : read_samples(r, &h, header, bits);
    if (result != SPI_SUCCESS)
        spi_free_picture(header, bits);
    return result;
}

SPI_EXPORT int32_t GetPluginInfo(int32_t number, char* buffer, int32_t buffer_bytes) {
    return spi_answer_info(number, buffer, buffer_bytes, SPI_VERSION_IMAGE,
                           "PNM reader (P1-P6) for MOKOA", kFormats,
                           (int)(sizeof kFormats / sizeof kFormats[0]));
}

SPI_EXPORT int32_t IsSupported(const char* path, const uint8_t* head) {
    (void)path;
    if (!head || head[0] != 'P' || head[1] < '1' || head[1] > '6')
        return 0;
    return is_space(head[2]) || head[2] == '#';
}

SPI_EXPORT int32_t GetPictureInfo(const char* path, int64_t length, uint32_t flag,
                                  SpiPictureInfo* info) {
    (void)length;
    if (!info || (flag & SPI_INPUT_MASK) != SPI_INPUT_FILE)
        return SPI_INTERNAL_ERROR;
    Reader r;
    int32_t result = open_reader(path, &r);
    if (result != SPI_SUCCESS)
        return result;
    r.comments = malloc(kMaxCommentBytes);
    Header h;
    result = read_header(&r, &h);
    fclose(r.file);
    if (result == SPI_SUCCESS) {
        info->width = (int32_t)h.width;
        info->height = (int32_t)h.height;
        info->color_depth = h.kind == 1 || h.kind == 4 ? 1 : h.kind == 2 || h.kind == 5 ? 8 : 24;
        if (r.comments && r.comment_length > 0) {
            r.comments[r.comment_length] = 0;
            info->text = r.comments;
            info->text_size = r.comment_length + 1;
            r.comments = NULL;
        }
    }
    free(r.comments);
    return result;
}

SPI_EXPORT int32_t GetPicture(const char* path, int64_t length, uint32_t flag, SpiBlock* header,
                              SpiBlock* bits, SpiProgressProc progress, intptr_t user_data) {
    (void)length;
    (void)progress;
    (void)user_data;
    if (!header || !bits || (flag & SPI_INPUT_MASK) != SPI_INPUT_FILE)
        return SPI_INTERNAL_ERROR;
    Reader r;
    int32_t result = open_reader(path, &r);
    if (result != SPI_SUCCESS)
        return result;
    result = decode(&r, header, bits);
    fclose(r.file);
    return result;
}
