#include "cli/usage.h"

const char kUsage[] =
    R"(Usage: mokoa-convert [options] INPUT...
       mokoa-convert --export-source OUT.png [adjustments] INPUT...
       mokoa-convert --serve [PORT] [--serve-count N] [--bind ADDRESS] [options] INPUT
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

Serving to a phone:
  --serve [PORT]     after converting the one input, hand the picture to phones with
                     the built-in web server, as the desktop program's web server
                     does: every GET, whatever its path, gets the picture. PORT
                     (default 80) is taken only when a number follows; 0 takes any
                     free port. When the port is refused for lack of permission
                     (ports below 1024 need administrator rights), the first free
                     port from 8080 to 8099 is used and a line says so. Prints the
                     URL and its QR code for a phone's camera, then the access-log
                     line of every fetch; Ctrl-C or SIGTERM stops it. Without -o the
                     picture is a temporary file, removed at the end.
  --serve-count N    stop after N fetches
  --bind ADDRESS     the address the URL shows: an IPv4 address or the name of a
                     network interface; default the first address of this machine's
                     network interfaces. The server listens on every address.

For each file the output path is printed with the carriers' size check (J-Sky 6 KB
for PNG and JPEG, EZweb 7 KB for PNG). With several inputs a progress line per file
goes to standard error; an input that cannot be read or written is reported and
skipped.

Mail, each written file attached as the desktop program's send dialog does it (its
fixed subject and the message text last used there):
  --mail TO          the recipient, or several separated by ";"
  --smtp HOST[:PORT] the SMTP server; without it, the mail account set up in the
                     desktop program (server, port, security, user name, sender)
  --security none|starttls|tls
                     none: plain SMTP (port 25 by default); starttls: secured with
                     STARTTLS before anything else (usually port 587); tls: TLS from
                     the first byte (usually port 465). The server's certificate
                     must verify against the system's authorities and name the host.
  --user NAME        log in (AUTH PLAIN or LOGIN) as NAME; needs starttls or tls
  --from ADDRESS     the sender; needed with --smtp
  --password-file PATH
                     the password is the first line of this file; else the variable
                     MOKOA_SMTP_PASSWORD; else, for the stored account, the password
                     the desktop program keeps (secret store or settings file)
  --ca-file PATH     trust one more certificate authority (PEM)
  A sending that fails is reported with the server's or the client's reason on
  standard error; one whole sending ends within 60 s.

Lists:
  --list-profiles    the profile list with indices and sizes
  --list-formats     the format list with indices
  --info FILE...     each picture's size and bit count from its header, or why it
                     cannot be read
  --version          the program's version

Exit status: 0 all written and within both carriers' limits, 3 all written but some
file over a limit, 1 some input could not be read or written (or the server could not
start), 2 bad usage, 4 some file could not be mailed (before 1 and 3). With --serve,
the status comes once the server has stopped.
)";
