#include "plugins/spi_kit.h"

#include <stdlib.h>
#include <string.h>

static const int64_t kMaxSide = 30000;
static const uint64_t kMaxPixelBytes = (uint64_t)1 << 30;
static const uint64_t kLoadBaseBytes = (uint64_t)64 << 20;
static const uint64_t kLoadBytesPerFileByte = (uint64_t)64 << 10;

static uint32_t stride_of(int bit_count, int32_t width) {
    return (uint32_t)((((uint64_t)bit_count * (uint64_t)width + 31) / 32) * 4);
}

static int32_t write_text(const char* text, char* buffer, int32_t buffer_bytes) {
    if (!text || !buffer || buffer_bytes <= 0)
        return 0;
    size_t length = strlen(text);
    if (length > (size_t)buffer_bytes - 1)
        length = (size_t)buffer_bytes - 1;
    memcpy(buffer, text, length);
    buffer[length] = 0;
    return (int32_t)length;
}

int32_t spi_answer_info(int32_t number, char* buffer, int32_t buffer_bytes, const char* version,
                        const char* description, const SpiFormat* formats, int format_count) {
    if (number == SPI_INFO_VERSION)
        return write_text(version, buffer, buffer_bytes);
    if (number == SPI_INFO_DESCRIPTION)
        return write_text(description, buffer, buffer_bytes);
    if (number < 2 || (number - 2) / 2 >= format_count)
        return 0;
    const SpiFormat* format = &formats[(number - 2) / 2];
    return write_text(number % 2 == 0 ? format->pattern : format->name, buffer, buffer_bytes);
}

int32_t spi_new_picture(int32_t width, int32_t height, int bit_count, uint32_t colors,
                        SpiBlock* header, SpiBlock* bits) {
    header->data = bits->data = NULL;
    header->size = bits->size = 0;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || colors > 256)
        return SPI_DAMAGED;
    /* The host widens pictures of 8 bits or fewer to 24 bits and refuses what does not fit
     * there; judge them at 24 bits so a tiny file cannot make us fill a canvas for nothing. */
    const int host_bit_count = bit_count <= 8 ? 24 : bit_count;
    if ((uint64_t)stride_of(host_bit_count, width) * (uint64_t)height > kMaxPixelBytes)
        return SPI_DAMAGED;
    const uint64_t pixel_bytes = (uint64_t)stride_of(bit_count, width) * (uint64_t)height;
    const size_t header_bytes = sizeof(SpiBitmapHeader) + 4 * (size_t)colors;
    SpiBitmapHeader* h = calloc(1, header_bytes);
    void* p = calloc(1, (size_t)pixel_bytes);
    if (!h || !p) {
        free(h);
        free(p);
        return SPI_OUT_OF_MEMORY;
    }
    h->header_size = sizeof(SpiBitmapHeader);
    h->width = width;
    h->height = height;
    h->planes = 1;
    h->bit_count = (uint16_t)bit_count;
    h->image_size = (uint32_t)pixel_bytes;
    h->colors_used = colors;
    header->data = h;
    header->size = header_bytes;
    bits->data = p;
    bits->size = pixel_bytes;
    return SPI_SUCCESS;
}

int spi_cost_allowed(int32_t width, int32_t height, int bit_count, uint64_t file_bytes) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
        return 0;
    uint64_t bytes = (uint64_t)stride_of(bit_count, width) * (uint64_t)height;
    if (bit_count <= 8)
        bytes += (uint64_t)stride_of(24, width) * (uint64_t)height;
    return bytes <= kLoadBaseBytes + kLoadBytesPerFileByte * file_bytes;
}

void spi_free_picture(SpiBlock* header, SpiBlock* bits) {
    free(header->data);
    free(bits->data);
    header->data = bits->data = NULL;
    header->size = bits->size = 0;
}

void spi_set_color(SpiBlock* header, uint32_t index, uint8_t red, uint8_t green, uint8_t blue) {
    uint8_t* entry = (uint8_t*)header->data + sizeof(SpiBitmapHeader) + 4 * (size_t)index;
    entry[0] = blue;
    entry[1] = green;
    entry[2] = red;
    entry[3] = 0;
}

uint8_t* spi_row(SpiBlock* header, SpiBlock* bits, int32_t y) {
    const SpiBitmapHeader* h = header->data;
    const uint32_t stride = stride_of(h->bit_count, h->width);
    return (uint8_t*)bits->data + (size_t)(h->height - 1 - y) * stride;
}
