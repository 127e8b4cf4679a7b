#!/usr/bin/env python3
"""Draws the program's pictures into assets/. Tool-bar icons and cursors come at 1x from the
pixel grids below and at 2x (name@2x.png, which Qt picks on high-density screens) from the
vector drawings after them; the program icon is a vector drawing, mokoa.svg, rendered at
every size of the icon theme; the phone and start-up pictures are drawn with ImageMagick.
The results are committed; run this again only after changing a drawing. A picture whose
pixels come out the same keeps its file. Needs: scripts/install-deps.sh assets.
    scripts/make-assets.py [FOLDER]      (default: assets/)"""
import os
import subprocess
import sys

ROOT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "assets")
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
    32776: [  # rotate left: the arrow turns anticlockwise
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
    32775: [  # rotate right: the arrow turns clockwise
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

# 16 x 16 cursors, doubled to 32 x 32.
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

# Cursors drawn on a 32 x 32 grid (rows and columns not given are transparent).
CURSORS_32 = {
    "pen": [
        "kkkk..................",
        "kkkkk.................",
        "kkkwwk................",
        "kkwwwwk...............",
        ".kwwwwwk..............",
        "..kwwwwwk.............",
        "...kwwwwwk............",
        "....kwwwwwk...........",
        ".....kwwwwwk..........",
        "......kwwwwwk.........",
        ".......kwwwwwk........",
        "........kwwwwkk.......",
        ".........kwwkkwk......",
        "..........kkkwwwk.....",
        "...........kwwwwwk....",
        "............kwwwwwk...",
        ".............kwwwwk...",
        "..............kwwk....",
        "...............kk....."],
    "eyedropper": [
        "kk....................",
        "kkk...................",
        ".kwk..................",
        "..kwk.................",
        "...kwk................",
        "....kwk...............",
        ".....kwk..............",
        "......kwk.............",
        ".......kwk.kk.........",
        "........kwkwwk........",
        ".........kwkkkkk......",
        "........kwkkkkkkk.....",
        "........kwkkkkkkk.....",
        ".........kkkkkkkkk....",
        "..........kkkkkkk.....",
        "..........kkkkkkk.....",
        "...........kkkkk......",
        ".............k........"],
    "fill": [
        "......................",
        "......................",
        ".............k........",
        "............kkk.......",
        "...........kkkwk......",
        "..........kkkwwwk.....",
        ".........kkkwwwwwk....",
        "........kkkwwwwwwwk...",
        ".......kkkwwwwwwwwwk..",
        "..kk..kkkwwwwwwwwwwwk.",
        "..kk.kkkwwwwwwwwwwwwwk",
        "..kk..kwwwwwwwwwwwwwk.",
        "..kk...kwwwwwwwwwwwk..",
        "..kk....kwwwwwwwwwk...",
        "..kk.....kwwwwwwwk....",
        "..kk......kwwwwwk.....",
        "..kk.......kwwwk......",
        "..kk........kwk.......",
        ".............k........"],
    "hand_open": [
        "......................",
        "......................",
        ".........kkkk.........",
        ".........kwwkkkk......",
        "......kkkkwwkwwk......",
        "......kwwkwwkwwkkkk...",
        "......kwwkwwkwwkwwk...",
        "......kwwkwwkwwkwwk...",
        "......kwwkwwkwwkwwk...",
        ".kk...kwwkwwkwwkwwk...",
        ".kwk..kwwkwwkwwkwwk...",
        "..kwk.kwwwwwwwwwwwk...",
        "...kwkwwwwwwwwwwwwk...",
        "....kwwwwwwwwwwwwwk...",
        ".....kwwwwwwwwwwwwk...",
        "......kwwwwwwwwwwwk...",
        "......kwwwwwwwwwwwk...",
        "......kwwwwwwwwwwwk...",
        "......kwwwwwwwwwwwk...",
        "......kwwwwwwwwwwwk...",
        ".......kwwwwwwwwwk....",
        "........kwwwwwwwk.....",
        "........kkkkkkkkk....."],
    "hand_closed": [
        "......................",
        "......................",
        "......................",
        "......................",
        "......................",
        "......................",
        "......................",
        "......................",
        ".........kkkkkkk......",
        "......kkkkwwkwwkkkk...",
        "......kwwkwwkwwkwwk...",
        "......kwwkwwkwwkwwk...",
        "...kkkwkkkkkkkkkkkk...",
        "...kwwwwwwwwwwwwwwk...",
        "...kwwwwwwwwwwwwwwk...",
        "...kwwwwwwwwwwwwwwk...",
        "...kkkwwwwwwwwwwwwk...",
        "......kwwwwwwwwwwwk...",
        "......kwwwwwwwwwwwk...",
        "......kwwwwwwwwwwwk...",
        ".......kwwwwwwwwwk....",
        "........kwwwwwwwk.....",
        "........kkkkkkkkk....."],
}

# The same pictures drawn as vectors, for the 2x files. Coordinates are those of the 1x grid
# (one unit is one 1x pixel; a pixel's centre is at +0.5), so the 2x picture lines up with the
# 1x one; colours are the letters of COLOURS in braces.


def pencil(x, y, angle, length, half, cone, end, end_colour, wood="{p}", body="{y}", width=0.8):
    """A pencil whose point is at (x, y), pointing against `angle` degrees: a graphite point,
    a wooden cone up to `cone`, the body, and an end cap from `end` on."""
    tip = cone * 0.35
    return (
        '<g transform="translate(%g %g) rotate(%g)" stroke="{k}" stroke-width="%g" '
        'stroke-linejoin="round">'
        '<rect x="%g" y="%g" width="%g" height="%g" fill="%s"/>'
        '<rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="%s"/>'
        '<path d="M0 0L%g %gV%gZ" fill="%s"/>'
        '<path d="M0 0L%g %gV%gZ" fill="{k}" stroke="none"/></g>'
        % (x, y, angle, width,
           cone, -half, end - cone, 2 * half, body,
           end, -half, length - end, 2 * half, half * 0.45, end_colour,
           cone, -half, half, wood,
           tip, -half * tip / cone, half * tip / cone))


ICONS_2X = {
    57601: (  # open: a folder
        '<path d="M1.5 11.5V3.5l1-1h3l1.5 2h6.5v2" fill="{y}" stroke="{k}" '
        'stroke-linejoin="round"/>'
        '<path d="M3.5 6.5h12l-4 5h-10z" fill="{o}" stroke="{k}" stroke-linejoin="round"/>'),
    32788: (  # capture: a screen with a dashed frame
        '<rect x="1.5" y="1.5" width="13" height="9" rx=".5" fill="{l}" stroke="{k}"/>'
        '<rect x="3.25" y="3.25" width="9.5" height="5.5" fill="none" stroke="{r}" '
        'stroke-width=".5" stroke-dasharray="1 .5"/>'
        '<path d="M6.5 10.5v2h3v-2" fill="{d}" stroke="{k}"/>'
        '<rect x="4.5" y="12.5" width="7" height="2" rx=".5" fill="{G}" stroke="{k}"/>'),
    32779: (  # size check: a phone and a tick
        '<rect x="2.5" y="1.5" width="7" height="12" rx="1.25" fill="{G}" stroke="{k}"/>'
        '<rect x="4" y="3" width="4" height="3.5" fill="{l}" stroke="{d}" stroke-width=".5"/>'
        '<g fill="{k}"><rect x="3.75" y="7.5" width="1" height="1"/>'
        '<rect x="5.5" y="7.5" width="1" height="1"/><rect x="7.25" y="7.5" width="1" height="1"/>'
        '<rect x="3.75" y="9.25" width="1" height="1"/><rect x="5.5" y="9.25" width="1" height="1"/>'
        '<rect x="7.25" y="9.25" width="1" height="1"/><rect x="3.75" y="11" width="1" height="1"/>'
        '<rect x="5.5" y="11" width="1" height="1"/><rect x="7.25" y="11" width="1" height="1"/></g>'
        '<path d="M9.6 9.4l1.2 1.8 4.6-5.6" fill="none" stroke="{g}" stroke-width="1.5" '
        'stroke-linecap="round" stroke-linejoin="round"/>'),
    57603: (  # save: a floppy disk
        '<path d="M1.5 1.5h13v11h-13z" fill="{n}" stroke="{k}" stroke-linejoin="round"/>'
        '<rect x="3.5" y="1.5" width="9" height="5" fill="{w}" stroke="{k}"/>'
        '<path d="M4.5 3.25h7M4.5 4.75h7" stroke="{l}" stroke-width=".5"/>'
        '<rect x="4.5" y="8.5" width="7" height="4" fill="{G}" stroke="{k}"/>'
        '<rect x="7" y="9" width="2" height="3" fill="{k}"/>'),
    32792: (  # mail: an envelope
        '<rect x=".5" y="3.5" width="15" height="9" fill="{w}" stroke="{k}"/>'
        '<path d="M.5 3.5l7.5 6 7.5-6M.75 12.25l5.5-4.5M15.25 12.25l-5.5-4.5" fill="none" '
        'stroke="{k}" stroke-width=".75" stroke-linejoin="round"/>'),
    32821: (  # web server: a globe
        '<circle cx="8" cy="7.5" r="7" fill="{b}" stroke="{k}"/>'
        '<path d="M7.4 2.1C6.2 2.9 4.2 3.4 4 4.6c.6 1 1.5 1.4 2.1 3.2.8-1.2 1.9-2 3-3.3'
        'C8.5 3.7 8 2.7 7.4 2.1z" fill="{g}"/>'
        '<ellipse cx="12.3" cy="6.4" rx="1.3" ry="2.3" fill="{g}"/>'
        '<path d="M3.8 9.2c1.3-.3 3 .4 4 1.4.2 1.3-.3 2.4-1.2 2.4-.8-.9-2.3-1.5-2.8-2.6z" '
        'fill="{g}"/>'
        '<path d="M4.2 4.2a5.6 5.6 0 0 1 3-2" fill="none" stroke="{l}" stroke-width=".5" '
        'stroke-linecap="round"/>'),
    32796: (  # area selection: a marquee
        '<rect x="1.5" y="1.5" width="13" height="12" fill="none" stroke="{k}" '
        'stroke-dasharray="2 1"/>'
        '<rect x="6.5" y="5.5" width="3" height="3" fill="none" stroke="{r}"/>'),
    32794: (  # dot edit: a pencil on a grid of dots
        pencil(2.4, 11.6, -45, 13.2, 1.6, 3.6, 11.2, "{o}")
        + "".join('<rect x="%d" y="13" width="1" height="1" fill="{%s}"/>' % (2 * i, c)
                  for i, c in enumerate("rbrgrbrg"))),
    32772: (  # aspect lock: a padlock
        '<path d="M4.5 6.5V5a3.5 3.5 0 0 1 7 0v1.5" fill="none" stroke="{k}"/>'
        '<rect x="3.5" y="6.5" width="9" height="7" rx=".5" fill="{y}" stroke="{k}"/>'
        '<circle cx="8" cy="9.5" r="1" fill="{k}"/>'
        '<rect x="7.5" y="9.5" width="1" height="2" fill="{k}"/>'),
    32776: (  # rotate left: the arrow turns anticlockwise
        '<path d="M12 12.7A7 6 0 1 0 1.5 7.5" fill="none" stroke="{k}"/>'
        '<path d="M0 8h9l-4.5 5z" fill="{b}" stroke="{b}" stroke-width=".5" '
        'stroke-linejoin="round"/>'),
    32775: (  # rotate right: the mirror image, turning clockwise
        '<g transform="matrix(-1 0 0 1 16 0)">'
        '<path d="M12 12.7A7 6 0 1 0 1.5 7.5" fill="none" stroke="{k}"/>'
        '<path d="M0 8h9l-4.5 5z" fill="{b}" stroke="{b}" stroke-width=".5" '
        'stroke-linejoin="round"/></g>'),
    32778: (  # vertical flip
        '<path d="M7.5 0l4 4h-3v2h-2v-2h-3z" fill="{b}"/>'
        '<rect x="0" y="7" width="16" height="1" fill="{k}"/>'
        '<path d="M7.5 15l4-4h-3v-2h-2v2h-3z" fill="{r}"/>'),
    32777: (  # horizontal flip
        '<rect x="7" y="0" width="1" height="15" fill="{k}"/>'
        '<path d="M0 5.5l4-3.5v2.5h2v2h-2v2.5z" fill="{b}"/>'
        '<path d="M15 5.5l-4-3.5v2.5h-2v2h2v2.5z" fill="{r}"/>'),
    32774: (  # free rotation: a tilted square
        '<path d="M8.5 1.5l6 6-6 6-6-6z" fill="{l}" stroke="{k}" stroke-linejoin="round"/>'
        '<path d="M8.5 3.5l4 4" stroke="{w}" stroke-width=".5" stroke-linecap="round"/>'),
    32786: (  # brightness: the sun
        '<circle cx="7.5" cy="6.5" r="3.5" fill="{y}" stroke="{o}" stroke-width=".5"/>'
        '<g stroke="{o}" stroke-linecap="round">'
        + "".join('<path d="M7.5 1.7V.5" transform="rotate(%d 7.5 6.5)"/>' % a
                  for a in range(0, 360, 45)) + '</g>'),
    32781: (  # colour components: three bars
        '<rect x="2" y="1" width="2" height="11" fill="{r}"/>'
        '<rect x="6" y="6" width="2" height="6" fill="{g}"/>'
        '<rect x="10" y="3" width="2" height="9" fill="{b}"/>'
        '<rect x="0" y="12" width="14" height="1" fill="{k}"/>'),
    32807: (  # scale: a magnifier
        '<path d="M10 10l3.6 3.6" stroke="{k}" stroke-width="2.6" stroke-linecap="round"/>'
        '<path d="M10.2 10.2l3.4 3.4" stroke="{t}" stroke-width="1.4" stroke-linecap="round"/>'
        '<circle cx="6.5" cy="6" r="4.6" fill="{l}" stroke="{k}"/>'
        '<path d="M4 6.2a2.6 2.6 0 0 1 2.6-2.6" fill="none" stroke="{w}" '
        'stroke-linecap="round"/>'),
    32806: (  # hand
        '<g fill="{p}" stroke="{k}" stroke-width=".75">'
        '<rect x="3.4" y="2.4" width="2.6" height="7" rx="1.3"/>'
        '<rect x="6" y="1.3" width="2.6" height="8" rx="1.3"/>'
        '<rect x="8.6" y="2.3" width="2.5" height="7" rx="1.25"/>'
        '<rect x="11.1" y="4.2" width="2.3" height="5.5" rx="1.15"/>'
        '<path d="M1.3 8.2c.8-.9 2-.5 2.9.5l1 1.2" stroke-linecap="round"/>'
        '</g>'
        '<path d="M4.1 7.3h9.2l1 .6-.3 3.2-2.6 2.7h-5.5l-2.6-2.5-2.3-2.2c-.4-.5-.2-1.2.3-1.2'
        'l2.2.8z" fill="{p}"/>'
        '<path d="M13.4 8v3.1l-2.6 2.7h-5.5l-2.6-2.5-2.3-2.3c-.4-.5 0-1.4.9-1.3.8.1 1.6.9 2.3 1.6" '
        'fill="none" stroke="{k}" stroke-width=".75" stroke-linejoin="round" '
        'stroke-linecap="round"/>'),
    32799: (  # eyedropper
        '<g transform="translate(2 13) rotate(-45)" stroke="{k}" stroke-width=".75" '
        'stroke-linejoin="round">'
        '<path d="M0 -.9H9V.9H0Q-.8 0 0-.9z" fill="{w}"/>'
        '<path d="M0 -.9H3.5V.9H0Q-.8 0 0-.9z" fill="{l}"/>'
        '<rect x="9" y="-1.7" width="1.4" height="3.4" fill="{k}"/>'
        '<rect x="10.4" y="-1.5" width="4" height="3" rx="1.3" fill="{d}"/></g>'
        '<circle cx="1.3" cy="14.2" r=".6" fill="{l}"/>'),
    32819: (  # undo
        '<path d="M4.6 5.1h6a3.5 3.7 0 0 1 0 7.4H6" fill="none" stroke="{b}" '
        'stroke-width="1.6"/>'
        '<path d="M.8 5.2L5 1.8v6.8z" fill="{b}" stroke="{b}" stroke-width=".4" '
        'stroke-linejoin="round"/>'),
    32795: (  # pen
        pencil(1.4, 13.6, -45, 16.1, 1.6, 4.0, 14.2, "{r}")),
    32808: (  # fill: a bucket pouring
        '<path d="M4.5 4V2.6a1.5 1.5 0 0 1 3 0V4" fill="none" stroke="{k}" '
        'stroke-width=".75"/>'
        '<path d="M6.5 13.5l-6-6 3.2-3.4h5.6l3.2 3.4z" fill="{w}" stroke="{k}" '
        'stroke-linejoin="round"/>'
        '<path d="M5.5 4.5v3" stroke="{k}" stroke-width=".75" stroke-linecap="round"/>'
        '<path d="M13 7.2c.9 1.1 2.8 2.2 2.8 3.7 0 1.1-1 1.9-2.2 1.9s-2.2-.8-2.2-1.9'
        'c0-1.1.7-1.9 1.6-3.7z" fill="{b}"/>'),
    32800: (  # pen width: three strokes
        '<rect x="2" y="2" width="12" height="1" fill="{k}"/>'
        '<rect x="2" y="5" width="12" height="2" fill="{k}"/>'
        '<rect x="2" y="9" width="12" height="3" fill="{k}"/>'
        '<path d="M6 13h5l-2.5 2z" fill="{k}"/>'),
    32818: (  # fill tolerance: neighbouring shades
        '<rect x="2" y="2" width="4" height="4" fill="{b}"/>'
        '<rect x="6" y="2" width="5" height="4" fill="{l}"/>'
        '<rect x="11" y="2" width="3" height="4" fill="{w}"/>'
        '<rect x="1.5" y="1.5" width="13" height="5" fill="none" stroke="{k}"/>'
        '<path d="M2.5 10.5h12" stroke="{r}"/>'
        '<path d="M.8 10.5L4 7.8v5.4zM15.8 10.5L12.6 7.8v5.4z" fill="{r}"/>'),
}

# Cursors as vectors: (units across, drawing). The 1x cursors are 32 pixels, so a 16-unit
# drawing is doubled twice for the 2x one and a 32-unit drawing once.
CURSORS_2X = {
    "resize": (16,
        '<path d="M.5 .5h6l-2 2 8 8 2-2v6h-6l2-2-8-8-2 2z" fill="{w}" stroke="{k}" '
        'stroke-linejoin="miter"/>'),
    "drag": (16,
        '<path d="M7.5 3.3V11.7M3.3 7.5H11.7" stroke="{k}" stroke-width="2"/>'
        '<path d="M7.5 3.3V11.7M3.3 7.5H11.7" stroke="{w}" stroke-width=".9"/>'
        '<g fill="{w}" stroke="{k}" stroke-width=".7" stroke-linejoin="round">'
        '<path d="M7.5 .4l3 3h-6z"/><path d="M7.5 14.6l3-3h-6z"/>'
        '<path d="M.4 7.5l3-3v6z"/><path d="M14.6 7.5l-3-3v6z"/></g>'),
    "pen": (32,
        '<g transform="translate(.6 .6) rotate(45)" stroke="{k}" stroke-width="1" '
        'stroke-linejoin="round">'
        '<path d="M0 0L6.5 -3.4H17V3.4H6.5Z" fill="{w}"/>'
        '<path d="M17 -3.4H21.5A3.4 3.4 0 0 1 21.5 3.4H17Z" fill="{w}"/>'
        '<path d="M0 0L3.2 -1.7V1.7Z" fill="{k}"/>'
        '<path d="M6.5 -3.4V3.4" stroke-width=".6"/></g>'),
    "eyedropper": (32,
        '<g transform="translate(.6 .6) rotate(45)" stroke="{k}" stroke-width="1" '
        'stroke-linejoin="round">'
        '<path d="M0 0L1.4 -1.2H12V1.2H1.4Z" fill="{w}"/>'
        '<path d="M12 -2.6H14V2.6H12Z" fill="{k}"/>'
        '<path d="M14 -3.6H18A3.6 3.6 0 0 1 18 3.6H14Z" fill="{k}"/></g>'
        '<circle cx="13" cy="10.6" r=".9" fill="{w}"/>'),
    "fill": (32,
        '<path d="M13.5 2.5L21 10 13.5 17.5 6 10z" fill="{w}" stroke="{k}" '
        'stroke-linejoin="round"/>'
        '<path d="M6.5 9.5L13.5 2.5" stroke="{k}" stroke-width="2"/>'
        '<rect x="2" y="9" width="2" height="9" rx="1" fill="{k}"/>'),
    "hand_open": (32,
        '<g fill="{w}" stroke="{k}" stroke-width="1" stroke-linejoin="round">'
        '<rect x="9.5" y="2.5" width="3" height="12" rx="1.5"/>'
        '<rect x="12.5" y="4.5" width="3" height="10" rx="1.5"/>'
        '<rect x="15.5" y="5.5" width="3" height="9" rx="1.5"/>'
        '<rect x="6.5" y="4.5" width="3" height="10" rx="1.5"/>'
        '<path d="M2 10.2L7 15.2" stroke-width="3" stroke-linecap="round"/>'
        '<path d="M2 10.2L7 15.2" stroke="{w}" stroke-linecap="round"/>'
        '<path d="M6.5 12V20.5l2 2h8l2-2V12z" stroke="none"/>'
        '<path d="M6.5 17V20.5l2 2h8l2-2V13" fill="none"/></g>'),
    "hand_closed": (32,
        '<g fill="{w}" stroke="{k}" stroke-width="1" stroke-linejoin="round">'
        '<rect x="6.5" y="9" width="3" height="5" rx="1.5"/>'
        '<rect x="9.5" y="8.5" width="3" height="5" rx="1.5"/>'
        '<rect x="12.5" y="8.5" width="3" height="5" rx="1.5"/>'
        '<rect x="15.5" y="9" width="3" height="5" rx="1.5"/>'
        '<path d="M6.5 12.5H3.5V16.5H6.5V20.5l2 2h8l2-2V12.5" fill="{w}"/>'
        '<path d="M6.5 12.5H18.5" fill="none"/></g>'),
}


def program_icon_svg():
    """The program icon: a phone with a picture on its screen, on a 48-unit square."""
    parts = [
        ('#404040', 30, 1, 6, 10, 2),   # aerial
        ('#303848', 11, 5, 27, 42, 6),  # body
        ('#B8C8A8', 14, 10, 21, 17, 1),  # screen
        ('#F0D000', 17, 13, 15, 11, 1),  # picture
        ('#E8E8E8', 15, 30, 7, 5, 1),   # keys
        ('#E8E8E8', 27, 30, 7, 5, 1),
        ('#E8E8E8', 15, 37, 7, 5, 1),
        ('#E8E8E8', 27, 37, 7, 5, 1),
    ]
    rects = "".join('<rect x="%d" y="%d" width="%d" height="%d" rx="%d" fill="%s"/>'
                    % (x, y, w, h, r, colour) for colour, x, y, w, h, r in parts)
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="48" height="48" '
            'viewBox="0 0 48 48">%s</svg>\n' % rects)


def keep_or_replace(new, path):
    """Moves the freshly drawn `new` to `path`, unless `path` already holds the same pixels:
    then the committed file stays as it is."""
    if os.path.exists(path):
        same = subprocess.run(["compare", "-metric", "AE", new, path, "null:"],
                              capture_output=True)
        if same.returncode == 0:
            os.remove(new)
            return
    os.replace(new, path)


def write_grid(path, rows, scale=1, size=None):
    """A pixel grid as a PNG, each cell `scale` pixels; `size` pads it with transparent cells."""
    if size:
        rows = [row.ljust(size, ".") for row in rows] + ["." * size] * (size - len(rows))
    rows = ["".join(ch * scale for ch in row) for row in rows for _ in range(scale)]
    used = sorted({ch for row in rows for ch in row})
    lines = ["/* XPM */", "static char *picture[] = {",
             '"%d %d %d 1",' % (len(rows[0]), len(rows), len(used))]
    lines += ['"%s c %s",' % (ch, COLOURS[ch]) for ch in used]
    lines += ['"%s",' % row for row in rows]
    lines[-1] = lines[-1].rstrip(",")
    lines.append("};")
    xpm = path + ".xpm"
    with open(xpm, "w") as out:
        out.write("\n".join(lines) + "\n")
    new = path + ".new.png"
    magick(xpm, new)
    os.remove(xpm)
    keep_or_replace(new, path)


def render_svg(svg, path, width, height):
    """Renders an SVG text at width x height pixels."""
    source = path + ".svg"
    with open(source, "w") as out:
        out.write(svg)
    new = path + ".new.png"
    subprocess.run(["rsvg-convert", "-w", str(width), "-h", str(height), "-o", new, source],
                   check=True)
    os.remove(source)
    keep_or_replace(new, path)


def vector_svg(body, width, height):
    hexes = {ch: value for ch, value in COLOURS.items() if ch != "."}
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
            'viewBox="0 0 %d %d">%s</svg>\n' % (width, height, width, height,
                                                body.format(**hexes)))


def magick(*args):
    # No time stamps, so that a picture drawn again is the same file.
    subprocess.run(["convert", *args[:-1], "-define", "png:exclude-chunks=date,time",
                    args[-1]], check=True)


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



# The sizes of the icon theme the program icon is installed in.
PROGRAM_ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def main():
    os.makedirs(os.path.join(ROOT, "toolbar"), exist_ok=True)
    os.makedirs(os.path.join(ROOT, "cursors"), exist_ok=True)
    assert ICONS.keys() == ICONS_2X.keys()
    for number, rows in ICONS.items():
        assert len(rows) == 15 and all(len(row) == 16 for row in rows), number
        base = os.path.join(ROOT, "toolbar", "%d" % number)
        write_grid(base + ".png", rows)
        render_svg(vector_svg(ICONS_2X[number], 16, 15), base + "@2x.png", 32, 30)
    for name, rows in CURSORS.items():
        assert len(rows) == 16 and all(len(row) == 16 for row in rows), name
        write_grid(os.path.join(ROOT, "cursors", name + ".png"), rows, scale=2)
    for name, rows in CURSORS_32.items():
        assert len(rows) <= 32 and all(len(row) <= 32 for row in rows), name
        write_grid(os.path.join(ROOT, "cursors", name + ".png"), rows, size=32)
    assert CURSORS_2X.keys() == CURSORS.keys() | CURSORS_32.keys()
    for name, (units, body) in CURSORS_2X.items():
        render_svg(vector_svg(body, units, units), os.path.join(ROOT, "cursors", name + "@2x.png"),
                   64, 64)
    for name, draw in (("phone.png", draw_phone), ("startup.png", draw_startup)):
        path = os.path.join(ROOT, name)
        draw(path + ".new.png")
        keep_or_replace(path + ".new.png", path)
    icon = os.path.join(ROOT, "mokoa.svg")
    with open(icon, "w") as out:
        out.write(program_icon_svg())
    for size in PROGRAM_ICON_SIZES:
        render_svg(program_icon_svg(), os.path.join(ROOT, "mokoa-%d.png" % size), size, size)
    return 0


if __name__ == "__main__":
    sys.exit(main())
