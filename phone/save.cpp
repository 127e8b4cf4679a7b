#include "phone/save.h"

#include "image/compact_png.h"
#include "image/encoders.h"
#include "image/replacing_file.h"
#include "phone/temp_file.h"
#include "phone/temp_file_cleanup.h"


namespace {

// Where the file name starts: after the last "/".
size_t NameStart(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

// The last "." of the file name part, or npos.
size_t ExtensionStart(const std::string& path) {
    const size_t dot = path.rfind('.');
    return dot == std::string::npos || dot < NameStart(path) ? std::string::npos : dot;
}

// Read-only files and things that are no files are refused before anything is encoded.
SaveStatus TargetStatus(const std::string& path) {
    switch (CheckReplaceTarget(path)) {
    case ReplaceTarget::Writable:
        break;
    case ReplaceTarget::ReadOnly:
        return SaveStatus::ReadOnly;
    case ReplaceTarget::NotAFile:
        return SaveStatus::NotAFile;
    }
    return SaveStatus::Written;
}

} // namespace

const char* SaveStatusText(SaveStatus status) {
    switch (status) {
    case SaveStatus::Written:
        return "written";
    case SaveStatus::NoImage:
        return "there is no picture to save";
    case SaveStatus::UnknownExtension:
        return "the name must end in .png, .jpg or .jpeg";
    case SaveStatus::WriteFailed:
        return "the file could not be written";
    case SaveStatus::ReadOnly:
        return "the file is read-only";
    case SaveStatus::NotAFile:
        return "not a regular file";
    }
    return "";
}

std::string PathExtension(const std::string& path) {
    const size_t dot = ExtensionStart(path);
    if (dot == std::string::npos)
        return {};
    std::string ext = path.substr(dot);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return ext;
}

SaveStatus WriteImageByExtension(const PackedDib* image, const std::string& path, int jpegQuality) {
    const std::string ext = PathExtension(path);
    const bool jpeg = ext == ".jpg" || ext == ".jpeg";
    if (!jpeg && ext != ".png")
        return SaveStatus::UnknownExtension;
    if (!image)
        return SaveStatus::NoImage;
    if (const SaveStatus target = TargetStatus(path); target != SaveStatus::Written)
        return target;
    const int ok = jpeg ? WriteJpegFile(image, path, jpegQuality) : WritePngFile(image, path);
    return ok ? SaveStatus::Written : SaveStatus::WriteFailed;
}

namespace {

// The high-quality way of writing this source under this kind of name, if there is one.
bool WritesHighQuality(const SaveSource& source, bool png) {
    if (!source.format.highQuality)
        return false;
    return png ? source.format.IsPng() : source.format.IsJpeg() && source.base;
}

} // namespace

bool HighQualitySavedBytes(const SaveSource& source, bool png, std::vector<uint8_t>* bytes) {
    bytes->clear();
    if (!source.image || !WritesHighQuality(source, png))
        return false;
    return png ? EncodeCompactPng(source.image, bytes)
               : EncodeJpegMemory(source.base, source.format.jpeg, bytes);
}

SaveStatus WriteImageByExtension(const SaveSource& source, const std::string& path) {
    const std::string ext = PathExtension(path);
    const bool jpeg = ext == ".jpg" || ext == ".jpeg";
    if (!jpeg && ext != ".png")
        return SaveStatus::UnknownExtension;
    if (!source.image)
        return SaveStatus::NoImage;
    if (!WritesHighQuality(source, !jpeg))
        return WriteImageByExtension(source.image, path, source.jpegQuality);
    if (const SaveStatus target = TargetStatus(path); target != SaveStatus::Written)
        return target;
    const int ok = jpeg ? WriteJpegFile(source.base, path, source.format.jpeg)
                        : WriteCompactPngFile(source.image, path);
    return ok ? SaveStatus::Written : SaveStatus::WriteFailed;
}

std::string MakeDeliveryCopy(const PackedDib* image, bool png, int jpegQuality) {
    return MakeDeliveryCopy(SaveSource{image, jpegQuality, {}, nullptr}, png);
}

std::string MakeDeliveryCopy(const SaveSource& source, bool png) {
    if (!source.image)
        return {};
    // The unique name carries its extension from the start: no rename, no empty leftover.
    const std::string path = CreateTempFile("~kt", png ? ".png" : ".jpg");
    if (path.empty())
        return {};
    if (WriteImageByExtension(source, path) != SaveStatus::Written) {
        RemoveTempFile(path);
        return {};
    }
    return path;
}

std::string ProposedSaveName(const std::string& documentName) {
    std::string name = documentName.substr(NameStart(documentName));
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string AddDefaultExtension(const std::string& path, bool jpegFilterSelected) {
    if (ExtensionStart(path) != std::string::npos)
        return path;
    return path + (jpegFilterSelected ? ".jpg" : ".png");
}

std::string FolderOfPath(const std::string& path) {
    return path.substr(0, NameStart(path));
}
