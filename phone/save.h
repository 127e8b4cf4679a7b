// Saving the phone picture by the name's extension, and the names around the save dialog.
#pragma once

#include "image/dib.h"
#include "image/encoders.h"
#include "phone/formats.h"

#include <cstdint>
#include <string>
#include <vector>

enum class SaveStatus {
    Written,
    NoImage,          // there is nothing to save
    UnknownExtension, // the name ends in neither .png, .jpg nor .jpeg
    WriteFailed,      // the file could not be written; an older file of that name is kept
    ReadOnly,         // a file of that name exists and is read-only; it is kept
    NotAFile,         // the name is that of a folder, pipe or device
};

// A short English reason for messages.
const char* SaveStatusText(SaveStatus status);

// The part of the file name from its last ".", lower-cased (ASCII); empty when there is
// none. Dots in folder names do not count.
std::string PathExtension(const std::string& path);

// ".png" writes a PNG, ".jpg" and ".jpeg" a JPEG at `jpegQuality`, whatever the format. An
// existing file is replaced whole or not at all (see image/replacing_file.h), keeping its
// permissions, owner and other names where possible.
[[nodiscard]] SaveStatus WriteImageByExtension(const PackedDib* image, const std::string& path,
                                               int jpegQuality);

// What a save writes: the output image, and how the selected format wants it written.
struct SaveSource {
    const PackedDib* image = nullptr; // the output image
    int jpegQuality = 75;             // of the last classic JPEG format chosen
    OutputFormat format;              // the selected format
    const PackedDib* base = nullptr;  // encoded by the high-quality JPEG formats
};

// As above for the classic formats. With a high-quality format selected, a PNG holds only
// the colours used (image/compact_png.h), and a JPEG is the format's own coding of the base
// image, the same file the conversion made; other combinations write as above.
[[nodiscard]] SaveStatus WriteImageByExtension(const SaveSource& source, const std::string& path);

// The bytes that a save under a ".png" (`png`) or ".jpg" name would write, for the
// high-quality formats; false when the source cannot be written that way.
[[nodiscard]] bool HighQualitySavedBytes(const SaveSource& source, bool png,
                                         std::vector<uint8_t>* bytes);

// A new file "~kt…" in the temporary folder holding the image as PNG (`png`) or JPEG, for
// mail and the web server; the caller owns it and deletes it with RemoveTempFile. Empty
// when it cannot be made (nothing is left behind then).
[[nodiscard]] std::string MakeDeliveryCopy(const PackedDib* image, bool png, int jpegQuality);
[[nodiscard]] std::string MakeDeliveryCopy(const SaveSource& source, bool png);

// The name the save dialog proposes: the file name without folder and extension.
std::string ProposedSaveName(const std::string& documentName);
// A chosen name without extension gets ".jpg" when the JPEG filter was selected, else ".png".
std::string AddDefaultExtension(const std::string& path, bool jpegFilterSelected);
// The folder part of a path with its trailing "/" (empty for a bare name).
std::string FolderOfPath(const std::string& path);
