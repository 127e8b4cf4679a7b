/* Helpers the project's own plug-ins share: answering GetPluginInfo and allocating the
 * two blocks of a decoded picture. Not part of the plug-in interface. */
#ifndef MOKOA_SPI_KIT_H
#define MOKOA_SPI_KIT_H

#include "plugins/spi_api.h"

#include <stddef.h>

typedef struct SpiFormat {
    const char* pattern; /* such as "*.gif" */
    const char* name;
} SpiFormat;

/* Answers GetPluginInfo for a plug-in of the given version, description and formats. */
int32_t spi_answer_info(int32_t number, char* buffer, int32_t buffer_bytes, const char* version,
                        const char* description, const SpiFormat* formats, int format_count);

/* Allocates a zeroed picture of width x height at bit_count bits with a table of `colors`
 * entries: SPI_SUCCESS, SPI_DAMAGED for a shape the host would refuse (sides 1..30000, at
 * most 1 GiB of rows, counted at 24 bits for 8 bits or fewer), or SPI_OUT_OF_MEMORY. On
 * failure both blocks are left empty. */
int32_t spi_new_picture(int32_t width, int32_t height, int bit_count, uint32_t colors,
                        SpiBlock* header, SpiBlock* bits);

/* Whether reading a picture of this shape from a file of `file_bytes` stays within what the
 * host lets a file cost: 64 MB plus 64 KB for every byte of the file, counting the picture at
 * its depth and, for 8 bits or fewer, the 24-bit copy the host widens it to. A picture
 * beyond that is more than any real file of that size holds. */
int spi_cost_allowed(int32_t width, int32_t height, int bit_count, uint64_t file_bytes);

/* Frees both blocks and empties them. */
void spi_free_picture(SpiBlock* header, SpiBlock* bits);

/* Entry `index` of the colour table. */
void spi_set_color(SpiBlock* header, uint32_t index, uint8_t red, uint8_t green, uint8_t blue);

/* Start of the row `y` counted from the top of the picture. */
uint8_t* spi_row(SpiBlock* header, SpiBlock* bits, int32_t y);

#endif
