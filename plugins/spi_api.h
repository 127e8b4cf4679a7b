/* The calling convention between MOKOA and its image plug-ins.
 *
 * A plug-in is an ELF shared library whose file name ends in ".spi", placed in the folder
 * "PlugIn" beside the program. The program loads every one of them with dlopen at start-up,
 * keeps them loaded until it exits and finds the functions below with dlsym under exactly
 * these names. All of them use the C calling convention; export them with default
 * visibility (SPI_EXPORT) and build the rest of the library hidden. plugins/README.md
 * explains the rules in prose.
 *
 * Text is UTF-8. Paths are the program's own file names, UTF-8, '/' separated. The host
 * calls a plug-in from one thread at a time. */
#ifndef MOKOA_SPI_API_H
#define MOKOA_SPI_API_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Results of IsSupported aside, every call answers one of these. */
enum {
    SPI_NOT_IMPLEMENTED = -1, /* the host's reading of a missing entry point */
    SPI_SUCCESS = 0,
    SPI_ABORTED = 1,     /* the progress callback asked to stop; the host does not retry */
    SPI_UNSUPPORTED = 2, /* not a format this plug-in reads */
    SPI_DAMAGED = 3,     /* the file is truncated or inconsistent */
    SPI_OUT_OF_MEMORY = 4,
    SPI_FILE_ERROR = 6,     /* the file cannot be opened or read */
    SPI_INTERNAL_ERROR = 8, /* a missing argument or a fault of the plug-in itself */
};

/* GetPluginInfo numbers: 0 the interface version, 1 a one-line description of the
 * plug-in, then 2k + 2 the file pattern and 2k + 3 the name of format k (k = 0, 1, ...).
 * The first number without an answer (0 returned) ends the list. */
#define SPI_INFO_VERSION 0
#define SPI_INFO_DESCRIPTION 1
#define SPI_INFO_PATTERN(k) (2 * (k) + 2)
#define SPI_INFO_NAME(k) (2 * (k) + 3)

/* Version strings (GetPluginInfo number 0): "00IN" or "00IM" mark an image plug-in, the
 * only kind the program loads. It recognises and skips the other families: "00XN"/"00XM"
 * export, "00AN"/"00AM" archive, "00CN" and "00EN" plug-ins. */
#define SPI_VERSION_IMAGE "00IN"
#define SPI_VERSION_IMAGE_EXTENDED "00IM"

/* Buffer sizes the host passes to GetPluginInfo, including room for the final NUL. */
#define SPI_VERSION_BUFFER_BYTES 9
#define SPI_TEXT_BUFFER_BYTES 256

/* Bytes of the file's start handed to IsSupported. For a shorter file the bytes past its
 * end are zero here but carry no meaning. */
#define SPI_HEAD_BYTES 2048

/* Flag bits of GetPicture and GetPictureInfo. The low three bits say what `path` is:
 * SPI_INPUT_FILE, a file name, is the only input this host passes (with length 0). The host
 * sets SPI_FLAG_RETRY on its second attempt after a failed call; a plug-in may take it as a
 * cue for a more tolerant reading, or ignore it. */
#define SPI_INPUT_MASK 0x07u
#define SPI_INPUT_FILE 0x00u
#define SPI_FLAG_RETRY 0x80u

/* A block the plug-in allocated with malloc and hands over; the host releases it with
 * free. `size` is the number of bytes allocated and valid; the host never reads past it. */
typedef struct SpiBlock {
    void* data;
    uint64_t size;
} SpiBlock;

/* The bitmap header that starts GetPicture's header block, all fields little-endian.
 * It is followed in the same block by the colour table: `colors_used` entries of four
 * bytes (blue, green, red, 0), or 2^bit_count entries when colors_used is 0 and bit_count
 * is 8 or less; for compression 3 (16 or 32 bits) by three 32-bit masks (red, green,
 * blue) instead. Pixel rows live in the second block: bottom row first (top row first when
 * height is negative), each row padded to a multiple of 4 bytes, pixels blue, green, red.
 * Depths 1, 2, 4, 8, 16, 24 and 32; no compressed pixel data; each side at most 30000
 * pixels and at most 1 GiB of pixel rows, counted at 24 bits for pictures of 8 bits or
 * fewer (the host widens them to 24 bits). */
typedef struct SpiBitmapHeader {
    uint32_t header_size; /* 40 (more when a larger header precedes the table) */
    int32_t width;
    int32_t height;
    uint16_t planes;      /* 1 */
    uint16_t bit_count;   /* bits per pixel */
    uint32_t compression; /* 0, or 3 for masks */
    uint32_t image_size;  /* bytes of pixel rows, may be 0 */
    int32_t x_pels_per_meter;
    int32_t y_pels_per_meter;
    uint32_t colors_used;
    uint32_t colors_important;
} SpiBitmapHeader;

/* What GetPictureInfo tells about a picture. The host zero-fills the record before the
 * call. `text`, when not null, is a malloc'd block of `text_size` bytes holding
 * NUL-terminated text (a comment stored in the file, for instance); the host frees it. */
typedef struct SpiPictureInfo {
    int32_t left; /* where the picture sits on its canvas; 0 for most formats */
    int32_t top;
    int32_t width; /* pixels */
    int32_t height;
    uint16_t x_density; /* pixels per unit across and down, 0 when unknown */
    uint16_t y_density;
    int16_t color_depth; /* bits per pixel as stored in the file */
    uint16_t reserved;
    char* text;
    uint64_t text_size;
} SpiPictureInfo;

/* Called by GetPicture as it goes, when the host gives one (this host passes none): `done`
 * of `total` steps. A non-zero answer asks the plug-in to stop with SPI_ABORTED. */
typedef int32_t (*SpiProgressProc)(int32_t done, int32_t total, intptr_t user_data);

/* Writes the text for `number` into `buffer` (at most `buffer_bytes` bytes, the final NUL
 * included) and returns the number of characters written before the NUL; 0 when there is
 * no such entry. */
typedef int32_t (*SpiGetPluginInfoProc)(int32_t number, char* buffer, int32_t buffer_bytes);

/* 1 exactly when the plug-in reads this file. `head` holds SPI_HEAD_BYTES bytes from the
 * file's start; the plug-in may also open `path` itself. */
typedef int32_t (*SpiIsSupportedProc)(const char* path, const uint8_t* head);

/* Fills `info` (already zeroed) and returns SPI_SUCCESS, or an error code. */
typedef int32_t (*SpiGetPictureInfoProc)(const char* path, int64_t length, uint32_t flag,
                                         SpiPictureInfo* info);

/* Decodes the picture. On SPI_SUCCESS `header` holds the bitmap header with its colour
 * table and `bits` the pixel rows, both malloc'd, both handed over to the host. On any other
 * result the host ignores both: release what was allocated before returning. */
typedef int32_t (*SpiGetPictureProc)(const char* path, int64_t length, uint32_t flag,
                                     SpiBlock* header, SpiBlock* bits, SpiProgressProc progress,
                                     intptr_t user_data);

/* The names the host looks up. GetPreview, GetArchiveInfo, GetFileInfo, GetFile and
 * ConfigurationDlg are looked up too but never called; image plug-ins leave them out. */
#define SPI_EXPORT __attribute__((visibility("default")))

SPI_EXPORT int32_t GetPluginInfo(int32_t number, char* buffer, int32_t buffer_bytes);
SPI_EXPORT int32_t IsSupported(const char* path, const uint8_t* head);
SPI_EXPORT int32_t GetPictureInfo(const char* path, int64_t length, uint32_t flag,
                                  SpiPictureInfo* info);
SPI_EXPORT int32_t GetPicture(const char* path, int64_t length, uint32_t flag, SpiBlock* header,
                              SpiBlock* bits, SpiProgressProc progress, intptr_t user_data);

#ifdef __cplusplus
}
#endif

#endif
