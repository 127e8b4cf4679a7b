#include "cli/usage.h"

const char kUsage[] =
    R"(Usage: mokoa-convert [options] INPUT...
       mokoa-convert --export-source OUT.png [adjustments] INPUT...
       mokoa-convert --info FILE...
       mokoa-convert --list-profiles [--size WxH] | --list-formats | --help

Turns pictures (BMP, PNG, JPEG, or any format an installed plug-in reads) into phone
images of an exact size, as the desktop program does: the same picture, selection,
profile and format give the same bytes.

Target and format:
  --profile N|NAME   index in the profile list (0 = custom size, 1-151 the phone
                     models) or a model's exact name; default 0
  --size WxH         the custom size, each side 20-180; default 80x80
  --format N|TEXT    index 0-21 in the format list or its exact text;
                     default 3 ("PNG 最適化 12色")
  --fit jsky|ezweb   instead of a format, search the high-quality formats for the
                     best picture (highest PSNR) whose file fits the carrier's limit:
                     J-Sky a PNG or JPEG of at most 6000 bytes, EZweb a PNG of at
                     most 7000. The chosen format, the size and the PSNR are
                     printed; an input for which nothing fits is reported and
                     skipped. A named output file restricts the kind (.png, .jpg).
  --resample auto|classic|area|lanczos
                     how the selection is shrunk to the target: classic samples
                     one point per pixel (the classic formats' own bytes), area
                     averages each pixel's whole area, lanczos filters sharper;
                     auto (the default) takes classic for the classic formats and
                     area for the high-quality formats and --fit

Selection, in picture pixels after the adjustments:
  --select L,T,R,B   this rectangle (right and bottom exclusive)
  --whole            the whole picture
                     default: the largest rectangle of the target's aspect ratio
                     centred in the picture
  --no-lock          keep the selection's proportions inside the target box instead
                     of filling the exact target size

Adjustments of the picture, applied in this order:
  --rotate 90|180|270        turn clockwise
  --upside-down              turn upside down (水平方向に反転)
  --mirror                   mirror left to right (垂直方向に反転)
  --angle DEG                free rotation clockwise, 0-359, black corners
  --brightness B             -255..255, applied before
  --contrast K               -100..100
  --rgb R,G,B | --ycrcb Y,Cr,Cb   colour offsets, each -255..255

Output:
  -o PATH            the output file (one input) or folder (several inputs; created
                     when missing). The extension picks the writer: .png, .jpg or
                     .jpeg. Default: the input's base name with .png or .jpg after
                     the format's kind, in the current folder.
  --export-source PATH
                     write the adjusted picture itself as a full-colour PNG (a file
                     for one input, a folder for several) instead of converting

For each file the output path is printed with the carriers' size check (J-Sky 6 KB
for PNG and JPEG, EZweb 7 KB for PNG). With several inputs a progress line per file
goes to standard error; an input that cannot be read or written is reported and
skipped.

Lists:
  --list-profiles    the profile list with indices and sizes
  --list-formats     the format list with indices
  --info FILE...     each picture's size and bit count, or why it cannot be read

Exit status: 0 all written and within both carriers' limits, 3 all written but some
file over a limit, 1 some input could not be read or written, 2 bad usage.
)";
