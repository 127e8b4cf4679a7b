#!/usr/bin/env python3
"""Draws the program's pictures into assets/: tool-bar icons and cursors from the pixel
grids below, the phone, start-up and program icon pictures with ImageMagick. The results
are committed; run this again only after changing a drawing."""
import os
import subprocess
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "assets")
FONT = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"

COLOURS = {
    ".": "None", "k": "#000000", "w": "#FFFFFF", "r": "#D00000", "g": "#008000",
    "b": "#0000C0", "y": "#F0D000", "o": "#E08000", "G": "#A0A0A0", "d": "#606060",
    "c": "#00A0C0", "m": "#C000C0", "n": "#000080", "l": "#80C0FF", "s": "#C8C8C8",
    "t": "#8B4513", "p": "#FFC0A0",
}

# 16 x 15 tool-bar buttons, named by command number.
ICONS = {
    57601: [  # open: a folder
        "................",
        "................",
        "..kkkk..........",
        ".kyyyyk.........",
        ".kyyyyykkkkkkk..",
        ".kyyyyyyyyyyyk..",
        ".kyykkkkkkkkkkkk",
        ".kyk.oooooooooko",
        ".kykoooooooooko.",
        ".kkoooooooooko..",
        ".kkooooooooko...",
        ".kkkkkkkkkkk....",
        "................",
        "................",
        "................"],
    32788: [  # capture: a screen with a dashed frame
        "................",
        ".kkkkkkkkkkkkkk.",
        ".kllllllllllllk.",
        ".klr.r.r.r.rllk.",
        ".klllllllllllrk.",
        ".klrlllllllllrk.",
        ".klllllllllllrk.",
        ".klrlllllllllrk.",
        ".klllr.r.r.r.lk.",
        ".kllllllllllllk.",
        ".kkkkkkkkkkkkkk.",
        "......kddk......",
        "....kkkkkkkk....",
        "....kGGGGGGk....",
        "....kkkkkkkk...."],
    32779: [  # size check: a phone and a tick
        "................",
        "...kkkkkk.......",
        "..kGGGGGGk......",
        "..kGllllGk......",
        "..kGllllGk......",
        "..kGllllGk.....g",
        "..kGGGGGGk....gg",
        "..kGkGkGGk...gg.",
        "..kGGGGGGk..gg..",
        "..kGkGkGGkggg...",
        "..kGGGGGGkgg....",
        "..kGkGkGGkg.....",
        "..kGGGGGGk......",
        "...kkkkkk.......",
        "................"],
    57603: [  # save: a floppy disk
        "................",
        ".kkkkkkkkkkkkkk.",
        ".knkwwwwwwwwknk.",
        ".knkwwwwwwwwknk.",
        ".knkwwwwwwwwknk.",
        ".knkwwwwwwwwknk.",
        ".knnkkkkkkkknnk.",
        ".knnnnnnnnnnnnk.",
        ".knnkkkkkkkknnk.",
        ".knnkGGkkGGknnk.",
        ".knnkGGkkGGknnk.",
        ".knnkGGkkGGknnk.",
        ".kkkkkkkkkkkkkk.",
        "................",
        "................"],
    32792: [  # mail: an envelope
        "................",
        "................",
        "................",
        "kkkkkkkkkkkkkkkk",
        "kkwwwwwwwwwwwwkk",
        "kwkwwwwwwwwwwkwk",
        "kwwkwwwwwwwwkwwk",
        "kwwwkwwwwwwkwwwk",
        "kwwwwkkwwkkwwwwk",
        "kwwwkwwkkwwkwwwk",
        "kwwkwwwwwwwwkwwk",
        "kwkwwwwwwwwwwkwk",
        "kkkkkkkkkkkkkkkk",
        "................",
        "................"],
    32821: [  # web server: a globe
        "................",
        ".....kkkkkk.....",
        "...kkbbgbbbkk...",
        "..kbbgggbbbbbk..",
        ".kbbgggggbbgbbk.",
        ".kbbbgggbbgggbk.",
        "kbbbbbggbbgggbbk",
        "kbbbbbgbbbbggbbk",
        "kbbbbbbbbbbgbbbk",
        "kbbbgggbbbbbbbbk",
        ".kbbggggbbbbbbk.",
        ".kbbbgggbbbbbbk.",
        "..kbbbggbbbbbk..",
        "...kkbbbbbbkk...",
        ".....kkkkkk....."],
    32796: [  # area selection: a marquee
        "................",
        ".kk.kk.kk.kk.kk.",
        ".k............k.",
        "................",
        ".k............k.",
        ".k....rrrr....k.",
        "......r..r......",
        ".k....r..r....k.",
        ".k....rrrr....k.",
        "................",
        ".k............k.",
        ".k............k.",
        "................",
        ".kk.kk.kk.kk.kk.",
        "................"],
    32794: [  # dot edit: a pencil on a grid of dots
        "................",
        "..........kk....",
        ".........kook...",
        "........kyyok...",
        ".......kyyyk....",
        "......kyyyk.....",
        ".....kyyyk......",
        "....kyyyk.......",
        "...kpyyk........",
        "...kppk.........",
        "..kkkk..........",
        "..kk............",
        "................",
        "r.b.r.g.r.b.r.g.",
        "................"],
    32772: [  # aspect lock: a padlock
        "................",
        "......kkkk......",
        ".....k....k.....",
        "....k......k....",
        "....k......k....",
        "....k......k....",
        "...kkkkkkkkkk...",
        "...kyyyyyyyyk...",
        "...kyyyyyyyyk...",
        "...kyyykkyyyk...",
        "...kyyykkyyyk...",
        "...kyyyyyyyyk...",
        "...kyyyyyyyyk...",
        "...kkkkkkkkkk...",
        "................"],
    32776: [  # rotate left
        "................",
        ".....kkkkk......",
        "...kk.....kk....",
        "..k.........k...",
        ".k...........k..",
        ".k...........k..",
        "k.............k.",
        "k.............k.",
        "k......bbbbbbbbb",
        ".k......bbbbbbb.",
        ".k.......bbbbb..",
        "..k.......bbb...",
        "...kk......b....",
        "................",
        "................"],
    32775: [  # rotate right
        "................",
        "......kkkkk.....",
        "....kk.....kk...",
        "...k.........k..",
        "..k...........k.",
        "..k...........k.",
        ".k.............k",
        ".k.............k",
        "bbbbbbbbb......k",
        ".bbbbbbb......k.",
        "..bbbbb.......k.",
        "...bbb.......k..",
        "....b......kk...",
        "................",
        "................"],
    32778: [  # vertical flip
        ".......b........",
        "......bbb.......",
        ".....bbbbb......",
        "....bbbbbbb.....",
        ".......b........",
        ".......b........",
        "................",
        "kkkkkkkkkkkkkkkk",
        "................",
        ".......r........",
        ".......r........",
        "....rrrrrrr.....",
        ".....rrrrr......",
        "......rrr.......",
        ".......r........"],
    32777: [  # horizontal flip
        ".......k........",
        ".......k........",
        "...b...k...r....",
        "..bb...k...rr...",
        ".bbb...k...rrr..",
        "bbbbbb.k.rrrrrr.",
        ".bbb...k...rrr..",
        "..bb...k...rr...",
        "...b...k...r....",
        ".......k........",
        ".......k........",
        ".......k........",
        ".......k........",
        ".......k........",
        ".......k........"],
    32774: [  # free rotation: a tilted square
        "................",
        "........k.......",
        ".......klk......",
        "......klllk.....",
        ".....klllllk....",
        "....klllllllk...",
        "...klllllllllk..",
        "..klllllllllllk.",
        "...klllllllllk..",
        "....klllllllk...",
        ".....klllllk....",
        "......klllk.....",
        ".......klk......",
        "........k.......",
        "................"],
    32786: [  # brightness: the sun
        ".......o........",
        "..o....o....o...",
        "...o.......o....",
        "......yyy.......",
        ".....yyyyy......",
        "....yyyyyyy.....",
        "oo..yyyyyyy..oo.",
        "....yyyyyyy.....",
        ".....yyyyy......",
        "......yyy.......",
        "...o.......o....",
        "..o....o....o...",
        ".......o........",
        "................",
        "................"],
    32781: [  # colour components: three bars
        "................",
        "..rr............",
        "..rr............",
        "..rr......bb....",
        "..rr......bb....",
        "..rr......bb....",
        "..rr..gg..bb....",
        "..rr..gg..bb....",
        "..rr..gg..bb....",
        "..rr..gg..bb....",
        "..rr..gg..bb....",
        "..rr..gg..bb....",
        "kkkkkkkkkkkkkk..",
        "................",
        "................"],
    32807: [  # scale: a magnifier
        "................",
        "....kkkk........",
        "..kkllllkk......",
        "..kllwwlllk.....",
        ".kllwllllllk....",
        ".kllwllllllk....",
        ".klllllllllk....",
        ".klllllllllk....",
        "..kllllllllk....",
        "..kkllllkkk.....",
        "....kkkk.ktt....",
        ".........kttt...",
        "..........kttt..",
        "...........ktt..",
        "................"],
    32806: [  # hand
        "................",
        "......kk........",
        "....kkppkkk.....",
        "...kppkppkpk....",
        "...kppkppkpkk...",
        "....kppkppkppk..",
        "....kppppppkpk..",
        "..kkkpppppppppk.",
        ".kppkpppppppppk.",
        ".kpppppppppppk..",
        "..kppppppppppk..",
        "...kpppppppppk..",
        "....kppppppk....",
        ".....kppppk.....",
        "................"],
    32799: [  # eyedropper
        "................",
        "...........kkk..",
        "..........kdddk.",
        "..........kdddk.",
        "........kkkddk..",
        ".........kkkk...",
        "........kwkk....",
        ".......kwwk.k...",
        "......kwwk......",
        ".....kwwk.......",
        "....kllk........",
        "...kllk.........",
        "..kllk..........",
        "..kkk...........",
        ".l.............."],
    32819: [  # undo
        "................",
        "................",
        "....b...........",
        "...bb...........",
        "..bbbbbbbbbb....",
        ".bbbbbbbbbbbb...",
        "..bbb.......bb..",
        "...bb........bb.",
        "....b........bb.",
        ".............bb.",
        "............bb..",
        "..........bbb...",
        "......bbbbbb....",
        "................",
        "................"],
    32795: [  # pen
        "................",
        "...........kk...",
        "..........krrk..",
        ".........kyyrk..",
        "........kyyyk...",
        ".......kyyyk....",
        "......kyyyk.....",
        ".....kyyyk......",
        "....kyyyk.......",
        "...kpyyk........",
        "...kppk.........",
        "..kpkk..........",
        "..kk............",
        ".k..............",
        "................"],
    32808: [  # fill: a bucket pouring
        "................",
        ".....kk.........",
        "....k..k........",
        "....k.kkk.......",
        "...kkwwwkk......",
        "..kwwkwwwwk.....",
        ".kwwwkwwwwwk....",
        "kwwwwkwwwwwwkb..",
        ".kwwwwwwwwwkbbb.",
        "..kwwwwwwwkbbbbb",
        "...kwwwwwk.bbbbb",
        "....kwwwk..bbbbb",
        ".....kwk....bbb.",
        "......k.........",
        "................"],
    32800: [  # pen width: three strokes
        "................",
        "................",
        "..kkkkkkkkkkkk..",
        "................",
        "................",
        "..kkkkkkkkkkkk..",
        "..kkkkkkkkkkkk..",
        "................",
        "................",
        "..kkkkkkkkkkkk..",
        "..kkkkkkkkkkkk..",
        "..kkkkkkkkkkkk..",
        "................",
        "......kkkkk.....",
        ".......kkk......"],
    32818: [  # fill tolerance: neighbouring shades
        "................",
        ".kkkkkkkkkkkkkk.",
        ".kbbbblllllwwwk.",
        ".kbbbblllllwwwk.",
        ".kbbbblllllwwwk.",
        ".kbbbblllllwwwk.",
        ".kkkkkkkkkkkkkk.",
        "................",
        "...r.........r..",
        "..rr.........rr.",
        ".rrrrrrrrrrrrrrr",
        "..rr.........rr.",
        "...r.........r..",
        "................",
        "................"],
}

# 16 x 16 cursors, doubled to 32 x 32; the hot spot is marked where the grid has 'x'
# (drawn black).
CURSORS = {
    "resize": [  # over the corner handle: a diagonal double arrow
        "kkkkkkk.........",
        "kwwwwk..........",
        "kwwwk...........",
        "kwwwwk..........",
        "kwkwwwk.........",
        "kk.kwwwk........",
        "k...kwwwk.......",
        ".....kwwwk......",
        "......kwwwk...k.",
        ".......kwwwk.kk.",
        "........kwwwkwk.",
        ".........kwwwwk.",
        "..........kwwwk.",
        ".........kwwwwk.",
        "........kkkkkkk.",
        "................"],
    "drag": [  # moving the selection: four arrows
        ".......k........",
        "......kwk.......",
        ".....kwwwk......",
        "....kkkwkkk.....",
        "...k...wk...k...",
        "..kk...wk...kk..",
        ".kwkkkkwkkkkkwk.",
        "kwwwwwwwwwwwwwwk",
        ".kwkkkkwkkkkkwk.",
        "..kk...wk...kk..",
        "...k...wk...k...",
        "....kkkwkkk.....",
        ".....kwwwk......",
        "......kwk.......",
        ".......k........",
        "................"],
}


def write_xpm(path, rows, scale=1):
    rows = ["".join(ch * scale for ch in row) for row in rows for _ in range(scale)]
    used = sorted({ch for row in rows for ch in row})
    lines = ["/* XPM */", "static char *picture[] = {",
             '"%d %d %d 1",' % (len(rows[0]), len(rows), len(used))]
    lines += ['"%s c %s",' % (ch, COLOURS[ch]) for ch in used]
    lines += ['"%s",' % row for row in rows]
    lines[-1] = lines[-1].rstrip(",")
    lines.append("};")
    with open(path, "w") as out:
        out.write("\n".join(lines) + "\n")


def to_png(xpm, png):
    subprocess.run(["convert", xpm, png], check=True)
    os.remove(xpm)


def magick(*args):
    subprocess.run(["convert", *args], check=True)


def draw_phone(path):
    # 193 x 472; the screen area is exactly (30, 70)-(160, 210).
    draw = [
        "-fill", "#D4D0C8", "-draw", "rectangle 0,0 192,471",
        "-fill", "#404040", "-draw", "roundrectangle 150,0 168,40 6,6",
        "-fill", "#303848", "-draw", "roundrectangle 6,22 186,466 34,34",
        "-fill", "#5A6478", "-draw", "roundrectangle 12,28 180,460 28,28",
        "-fill", "#202020", "-draw", "roundrectangle 70,44 122,52 4,4",
        "-fill", "#101010", "-draw", "rectangle 24,64 165,215",
        "-fill", "#B8C8A8", "-draw", "rectangle 30,70 159,209",
        "-fill", "#A0A0A0", "-draw", "circle 96,262 96,238",
        "-fill", "#D8D8D8", "-draw", "circle 96,262 96,250",
        "-fill", "#C03030", "-draw", "roundrectangle 24,244 58,262 8,8",
        "-fill", "#30A040", "-draw", "roundrectangle 134,244 168,262 8,8",
    ]
    keys = []
    labels = ["1", "2", "3", "4", "5", "6", "7", "8", "9", "*", "0", "#"]
    for index, label in enumerate(labels):
        col, row = index % 3, index // 3
        x, y = 30 + col * 47, 300 + row * 40
        keys += ["-fill", "#E8E8E8", "-draw", "roundrectangle %d,%d %d,%d 9,9" % (x, y, x + 38, y + 28)]
        keys += ["-fill", "#202020", "-draw", "text %d,%d '%s'" % (x + 15, y + 20, label)]
    magick("-size", "193x472", "xc:#D4D0C8", *draw, "-font", FONT, "-pointsize", "15",
           *keys, "-fill", "#C8D0E0", "-pointsize", "11", "-draw", "text 76,236 'MOKOA'",
           "+dither", "-colors", "16", "-define", "png:bit-depth=4", "-define",
           "png:color-type=3", path)


def draw_startup(path):
    # 336 x 158 with the title, a small phone and the version.
    magick("-size", "336x158", "gradient:#1C3C78-#3C78C0", "+dither", "-colors", "6",
           "-fill", "#FFFFFF", "-draw", "rectangle 0,150 335,157",
           "-fill", "#303848", "-draw", "roundrectangle 250,18 302,136 12,12",
           "-fill", "#B8C8A8", "-draw", "rectangle 259,34 293,72",
           "-fill", "#E8E8E8", "-draw", "rectangle 262,84 272,92", "-draw", "rectangle 280,84 290,92",
           "-draw", "rectangle 262,100 272,108", "-draw", "rectangle 280,100 290,108",
           "-draw", "rectangle 262,116 272,124", "-draw", "rectangle 280,116 290,124",
           "-fill", "#F0D000", "-draw", "rectangle 264,44 288,62",
           "-font", FONT, "-fill", "#FFFFFF", "-pointsize", "44", "-draw", "text 24,70 'モコア'",
           "-pointsize", "14", "-draw", "text 26,100 '携帯電話の画像づくりに'",
           "-fill", "#F0D000", "-pointsize", "12", "-draw", "text 26,128 'MOKOA  Ver 1.01'",
           "+dither", "-colors", "16", "-define", "png:bit-depth=4", "-define",
           "png:color-type=3", path)


def draw_program_icon(path, size):
    s = size / 48.0
    def r(x0, y0, x1, y1, rad):
        return "roundrectangle %d,%d %d,%d %d,%d" % (x0 * s, y0 * s, x1 * s, y1 * s, rad * s, rad * s)
    magick("-size", "%dx%d" % (size, size), "xc:none",
           "-fill", "#404040", "-draw", r(30, 1, 35, 10, 2),
           "-fill", "#303848", "-draw", r(11, 5, 37, 46, 6),
           "-fill", "#B8C8A8", "-draw", r(14, 10, 34, 26, 1),
           "-fill", "#F0D000", "-draw", r(17, 13, 31, 23, 1),
           "-fill", "#E8E8E8", "-draw", r(15, 30, 21, 34, 1), "-draw", r(27, 30, 33, 34, 1),
           "-draw", r(15, 37, 21, 41, 1), "-draw", r(27, 37, 33, 41, 1), path)


def main():
    os.makedirs(os.path.join(ROOT, "toolbar"), exist_ok=True)
    os.makedirs(os.path.join(ROOT, "cursors"), exist_ok=True)
    for number, rows in ICONS.items():
        assert len(rows) == 15 and all(len(row) == 16 for row in rows), number
        xpm = os.path.join(ROOT, "toolbar", "%d.xpm" % number)
        write_xpm(xpm, rows)
        to_png(xpm, os.path.join(ROOT, "toolbar", "%d.png" % number))
    for name, rows in CURSORS.items():
        assert len(rows) == 16 and all(len(row) == 16 for row in rows), name
        xpm = os.path.join(ROOT, "cursors", name + ".xpm")
        write_xpm(xpm, rows, scale=2)
        to_png(xpm, os.path.join(ROOT, "cursors", name + ".png"))
    draw_phone(os.path.join(ROOT, "phone.png"))
    draw_startup(os.path.join(ROOT, "startup.png"))
    for size in (32, 48):
        draw_program_icon(os.path.join(ROOT, "mokoa-%d.png" % size), size)
    return 0


if __name__ == "__main__":
    sys.exit(main())
