"""The three places of the adventure, the props standing in them, and their textures. Rooms are
boxes: floors, walls, steps and tilted slabs for ramps, which is all the engine's collision
needs; steps rise 0.24, low enough for a figure to walk up them."""
import math
import random

from PIL import Image, ImageDraw, ImageFilter

from gamedata.characters import Build, Character, figure, idle_pose
from gamedata.mesh import Mesh, mtl, rotate_y

ROOM_MATERIALS = {
    "quay": [("stone", (0.62, 0.62, 0.64)), ("wall", (0.5, 0.46, 0.42)), ("wood", (0.55, 0.38, 0.22)),
             ("door", (0.32, 0.2, 0.12)), ("water", (0.12, 0.25, 0.34)), ("iron", (0.2, 0.2, 0.22)),
             ("brick", (0.6, 0.3, 0.22))],
    "warehouse": [("floor", (0.6, 0.45, 0.3)), ("wall", (0.5, 0.42, 0.36)), ("wood", (0.45, 0.3, 0.18)),
                  ("door", (0.32, 0.2, 0.12)), ("crate", (0.7, 0.55, 0.32)), ("iron", (0.25, 0.25, 0.28))],
    "lighthouse": [("rock", (0.5, 0.5, 0.48)), ("white", (0.92, 0.92, 0.88)), ("red", (0.7, 0.12, 0.1)),
                   ("wood", (0.55, 0.38, 0.22)), ("water", (0.12, 0.25, 0.34)), ("glass", (0.9, 0.85, 0.5)),
                   ("iron", (0.2, 0.2, 0.22))],
}


class Room:
    def __init__(self):
        self.mesh = Mesh()

    def box(self, material, centre, size, tile=1.0, turn=None):
        self.mesh.box(material, centre, size, (0, 0, tile, tile), turn)

    def walls(self, material, half, height, thickness=0.6, skip=()):
        for side, (x, z, sx, sz) in enumerate(((0, half, 2 * half, thickness), (0, -half, 2 * half, thickness),
                                               (half, 0, thickness, 2 * half), (-half, 0, thickness, 2 * half))):
            if side not in skip:
                self.box(material, (x, height / 2, z), (sx, height, sz), tile=max(1, half / 3))

    def stairs(self, material, x, z0, z1, width, top, steps):
        """Steps climbing toward +z from z0, the last reaching `top` at z1; each block runs on
        to z1 so that the flight is solid underneath."""
        depth = (z1 - z0) / steps
        for i in range(steps):
            height = top * (i + 1) / steps
            start = z0 + depth * i
            self.box(material, (x, height / 2, (start + z1) / 2), (width, height, z1 - start))

    def ramp(self, material, x, z0, z1, width, rise, steps=10):
        """A loading ramp rising by `rise` from z0 to z1, built as shallow cleated steps: the
        collision treats level and upright faces exactly, where a tilted face's normal in the
        mover's ellipsoid space comes out wrong and lets a figure sink through it."""
        self.stairs(material, x, z0, z1, width, rise, steps)


def quay():
    r = Room()
    r.box("stone", (0, -0.25, 2.25), (24, 0.5, 19.5), tile=6)
    r.box("wood", (0, -0.1, -9.75), (24, 0.2, 4.5), tile=6)           # the jetty's planks
    r.box("water", (0, -0.9, -30), (80, 0.2, 36), tile=10)
    r.walls("wall", 12, 2.0, skip=(0, 1))
    r.box("brick", (0, 2.5, 12.3), (24, 5.0, 0.6), tile=6)            # the warehouse's front
    r.box("door", (0, 1.3, 11.95), (2.6, 2.6, 0.2))
    r.box("wall", (0, 0.4, -12), (24, 0.8, 0.5), tile=6)              # the parapet over the water
    for z in (-5.4, -2.6):                                            # the way out to the point
        r.box("wall", (11.6, 1.4, z), (0.9, 2.8, 0.9))
    r.box("iron", (11.75, 1.0, -4.0), (0.15, 2.0, 2.0))
    r.box("stone", (-9.5, 0.375, 9), (5, 0.75, 6))                    # a raised corner, steps up to it
    for i, height in enumerate((0.25, 0.5)):
        r.box("stone", (-6.5 + 0.5 * i - 0.25, height / 2, 9), (0.5 * (2 - i) + 0.5, height, 6))
    for x, z, s in ((7, 4, 1.2), (7.4, 5.4, 1.0), (-8, 2, 1.0), (9, 9, 1.4)):
        r.box("wood", (x, s / 2, z), (s, s, s))                       # crates
    for x in (-4, 0, 4):
        r.box("iron", (x, 0.3, -11.4), (0.4, 0.6, 0.4))               # bollards
    for x in (-7.8, -6.2):
        r.box("wood", (x, 1.2, -3), (0.2, 2.4, 0.2))                  # the bell's frame
    r.box("wood", (-7, 2.35, -3), (1.9, 0.2, 0.25))
    r.box("iron", (8, 2.5, -9), (0.15, 5.0, 0.15))                    # the flagpole
    return r.mesh


def warehouse():
    r = Room()
    r.box("floor", (0, -0.25, 0), (16, 0.5, 16), tile=4)
    r.walls("wall", 8, 4.0, thickness=0.4)
    r.box("door", (0, 1.2, -7.75), (2.2, 2.4, 0.2))
    r.box("wood", (5.4, 0.4, 4.9), (4.8, 0.8, 5.8))                    # the loading platform
    r.ramp("wood", 5.4, -1.0, 2.0, 4.8, 0.8)
    for x in (-3, 1, 5.5):
        r.box("wood", (x, 3.3, 0), (0.3, 0.3, 16))                     # rafters
    r.box("wood", (0, 3.3, 5.5), (16, 0.3, 0.3))
    for z in (-1, 3, 6):                                               # shelves along the west wall
        r.box("wood", (-7.2, 1.5, z), (1.0, 3.0, 0.1))
    for y in (0.5, 1.4, 2.3):
        r.box("wood", (-7.2, y, 2.5), (1.0, 0.08, 7.0))
    r.box("crate", (-4.9, 0.3, -3.8), (0.9, 0.6, 0.9))
    for x, z, s in ((-3.5, 6, 1.2), (-2.2, 6.3, 1.0), (-3, 4.6, 0.8), (1.5, 6.5, 1.1)):
        r.box("crate", (x, s / 2, z), (s, s, s))
    r.box("wood", (-6.2, 0.4, -3), (1.2, 0.8, 1.6))                    # the clerk's desk
    for x, z in ((-2, -6.45), (2.6, -7.05)):
        r.box("wood", (x, 0.8, z), (0.15, 1.6, 0.15))                  # the lantern's and the fuse box's posts
    return r.mesh


def lighthouse():
    r = Room()
    r.box("rock", (0, -0.25, 0), (20, 0.5, 20), tile=5)
    r.box("water", (0, -0.9, 0), (80, 0.2, 80), tile=10)
    r.walls("rock", 10, 1.5)
    r.box("white", (0.7, 1.2, 5.75), (9.4, 2.4, 7.5), tile=2)          # the gallery, stairs up to it
    r.stairs("white", 4.0, -4.0, 2.0, 2.0, 2.4, 10)
    for x, z, sx, sz in ((0.7, 9.45, 9.4, 0.1), (-4.05, 5.75, 0.1, 7.5), (5.35, 5.75, 0.1, 7.5),
                         (-1.0, 2.05, 6.1, 0.1)):
        r.box("iron", (x, 2.9, z), (sx, 1.0, sz))                     # its railing
    r.box("white", (0, 5.2, 7.5), (3.6, 5.6, 3.6), tile=2)             # the tower
    r.box("red", (0, 3.0, 7.5), (3.7, 0.6, 3.7))
    r.box("red", (0, 1.6 + 2.4, 5.68), (1.2, 2.0, 0.1))                # its door
    r.box("glass", (0, 8.8, 7.5), (2.6, 1.6, 2.6))
    r.box("red", (0, 9.9, 7.5), (3.2, 0.6, 3.2))
    r.box("iron", (-4, 0.6, -1), (0.25, 1.2, 0.25))                    # the foghorn's post
    for x, z, s in ((-7, 6, 1.6), (7, -7, 1.2), (-7.5, -7, 1.0)):
        r.box("rock", (x, s / 3, z), (s, s / 1.5, s * 1.2))
    return r.mesh


ROOMS = {"quay": quay, "warehouse": warehouse, "lighthouse": lighthouse}


def room_materials(area, texture):
    return mtl([(name, colour, texture) for name, colour in ROOM_MATERIALS[area]])


def _tiles(seed, base, mortar_rows, brick_width, tone, grain=0.0):
    """A 128-pixel tiling texture: courses of blocks or planks, speckled, near white so that each
    material's colour tints it."""
    rng = random.Random(seed)
    image = Image.new("RGB", (128, 128))
    pixels = image.load()
    shades = {}
    for y in range(128):
        for x in range(128):
            course = y // mortar_rows
            offset = (brick_width // 2) if course % 2 else 0
            block = (course, (x + offset) // brick_width)
            if block not in shades:
                shades[block] = base + rng.uniform(-tone, tone)
            edge = y % mortar_rows < 2 or (x + offset) % brick_width < 2
            v = shades[block] * (0.6 if edge else 1.0) + rng.uniform(-0.05, 0.05)
            v += grain * math.sin(x * 0.7 + course * 3.1 + math.sin(y * 0.2) * 2)
            c = max(0, min(255, int(v * 255)))
            pixels[x, y] = (c, c, c)
    return image.filter(ImageFilter.SMOOTH)


def textures():
    """(file name, image) of each room's texture."""
    return [("QuayTexture.png", _tiles(7, 0.85, 32, 64, 0.08)),
            ("WarehouseTexture.png", _tiles(8, 0.85, 16, 128, 0.1, grain=0.04)),
            ("LighthouseTexture.png", _tiles(9, 0.8, 43, 43, 0.12))]


def flag_texture():
    """The harbour flag: a white gull across blue over red."""
    image = Image.new("RGBA", (64, 64), (30, 60, 140, 255))
    d = ImageDraw.Draw(image)
    d.rectangle((0, 40, 63, 63), fill=(170, 30, 30, 255))
    d.arc((10, 16, 34, 40), 200, 340, fill=(250, 250, 250, 255), width=4)
    d.arc((30, 16, 54, 40), 200, 340, fill=(250, 250, 250, 255), width=4)
    return image


PROP_COLOURS = {"white": (0.92, 0.92, 0.9), "dark": (0.12, 0.12, 0.13), "brown": (0.5, 0.32, 0.18),
                "tan": (0.8, 0.62, 0.38), "grey": (0.55, 0.56, 0.58), "yellow": (1.0, 0.85, 0.35),
                "red": (0.75, 0.15, 0.12), "green": (0.25, 0.7, 0.35), "ginger": (0.85, 0.5, 0.2),
                "brass": (0.8, 0.65, 0.3), "paper": (0.95, 0.93, 0.85), "blue": (0.2, 0.4, 0.7)}
PLAIN = (0, 0, 1, 1)


def _dog(m):
    m.ellipsoid("tan", (0, 0.45, 0), (0.2, 0.2, 0.42), PLAIN)
    m.ellipsoid("tan", (0, 0.7, 0.42), (0.15, 0.14, 0.17), PLAIN)
    m.ellipsoid("dark", (0, 0.68, 0.6), (0.05, 0.05, 0.06), PLAIN, 8, 4)
    for side in (-1, 1):
        m.ellipsoid("brown", (side * 0.12, 0.76, 0.38), (0.04, 0.1, 0.06), PLAIN, 8, 4)
        for z in (-0.28, 0.28):
            m.limb("tan", [((side * 0.11, 0.4, z), 0.06), ((side * 0.11, 0.03, z), 0.05)], PLAIN, 6)
    m.limb("tan", [((0, 0.5, -0.4), 0.04), ((0, 0.7, -0.6), 0.03)], PLAIN, 6)


def _cat(m):
    m.ellipsoid("ginger", (0, 0.15, 0), (0.14, 0.13, 0.26), PLAIN)
    m.ellipsoid("ginger", (0, 0.3, 0.24), (0.1, 0.1, 0.1), PLAIN)
    for side in (-1, 1):
        m.box("ginger", (side * 0.06, 0.42, 0.24), (0.05, 0.07, 0.03), PLAIN)
    m.limb("ginger", [((0, 0.12, -0.24), 0.03), ((0.2, 0.06, -0.3), 0.03), ((0.3, 0.06, -0.1), 0.025)], PLAIN, 6)
    m.limb("brass", [((-0.15, 0.05, 0.1), 0.03), ((-0.15, 0.05, 0.2), 0.03)], PLAIN, 6)    # the key ring


def _board(m):
    for x in (-0.7, 0.7):
        m.box("brown", (x, 0.9, 0), (0.1, 1.8, 0.1), PLAIN)
    m.box("brown", (0, 1.4, 0.02), (1.6, 1.0, 0.06), PLAIN)
    for x, y, c in ((-0.4, 1.55, "paper"), (0.05, 1.35, "paper"), (0.45, 1.55, "yellow"), (-0.3, 1.15, "white")):
        m.box(c, (x, y, 0.06), (0.32, 0.4, 0.02), PLAIN)


def _bucket(m):
    m.loft("blue", [((0, 0, 0), (0, 1, 0), 0, 0), ((0, 0.01, 0), (0, 1, 0), 0.2, 0.2),
                    ((0, 0.4, 0), (0, 1, 0), 0.26, 0.26), ((0, 0.41, 0), (0, 1, 0), 0.22, 0.22),
                    ((0, 0.3, 0), (0, 1, 0), 0.21, 0.21)], PLAIN, 12)
    for x in (-0.08, 0.07):
        m.ellipsoid("grey", (x, 0.38, 0), (0.05, 0.04, 0.16), PLAIN, 8, 4, lambda v: rotate_y(v, x * 5))


def _bell(m):
    m.loft("brass", [((0, 1.6, 0), (0, 1, 0), 0.3, 0.3), ((0, 1.7, 0), (0, 1, 0), 0.24, 0.24),
                     ((0, 2.0, 0), (0, 1, 0), 0.18, 0.18), ((0, 2.2, 0), (0, 1, 0), 0.1, 0.1),
                     ((0, 2.25, 0), (0, 1, 0), 0, 0)], PLAIN, 12)


def _post(m):
    m.box("brown", (0, 0.75, 0), (0.25, 1.5, 0.25), PLAIN)
    for x, z, turn in ((0, 0, 0.4), (0.5, 0.3, -0.8)):
        y = 1.65 if x == 0 else 0.1
        m.ellipsoid("white", (x, y, z), (0.09, 0.1, 0.2), PLAIN, 8, 6, lambda v, t=turn: rotate_y(v, t))
        m.ellipsoid("white", (x, y + 0.12, z + 0.12), (0.06, 0.06, 0.07), PLAIN, 8, 4)
        m.box("yellow", (x, y + 0.11, z + 0.22), (0.03, 0.03, 0.08), PLAIN)


def _lantern(m):
    m.box("dark", (0, 1.65, 0), (0.3, 0.06, 0.3), PLAIN)
    m.box("yellow", (0, 1.85, 0), (0.24, 0.34, 0.24), PLAIN)
    m.box("dark", (0, 2.05, 0), (0.3, 0.06, 0.3), PLAIN)


def _fusebox(m):
    m.box("grey", (0, 1.3, 0), (0.7, 0.9, 0.2), PLAIN)
    m.box("red", (0.2, 1.5, 0.11), (0.1, 0.1, 0.02), PLAIN)


def _oilcan(m):
    m.box("red", (0, 0.85, 0), (0.3, 0.5, 0.18), PLAIN)
    m.limb("brass", [((0.1, 1.1, 0), 0.03), ((0.2, 1.2, 0), 0.02)], PLAIN, 6)


def _terminal(m):
    m.box("grey", (0, 1.1, 0), (0.7, 0.55, 0.5), PLAIN)
    m.box("green", (0, 1.12, 0.26), (0.55, 0.4, 0.02), PLAIN)
    m.box("grey", (0, 0.83, 0.35), (0.6, 0.04, 0.25), PLAIN)


def _gate(m):
    for x in (-1.05, 1.05):
        m.box("dark", (x, 1.1, 0), (0.12, 2.2, 0.12), PLAIN)
    for y in (0.3, 1.9):
        m.box("dark", (0, y, 0), (2.1, 0.08, 0.08), PLAIN)
    for i in range(9):
        m.box("dark", (-0.8 + 0.2 * i, 1.1, 0), (0.05, 1.6, 0.05), PLAIN)


def _horn(m):
    m.loft("brass", [((0, 1.2, -0.4), (0, 0, 1), 0.08, 0.08), ((0, 1.2, 0.1), (0, 0, 1), 0.14, 0.14),
                     ((0, 1.2, 0.5), (0, 0, 1), 0.4, 0.4)], PLAIN, 12)


PROPS = {"dog": _dog, "cat": _cat, "board": _board, "bucket": _bucket, "bell": _bell, "post": _post,
         "lantern": _lantern, "fusebox": _fusebox, "oilcan": _oilcan, "terminal": _terminal, "gate": _gate,
         "horn": _horn}


def props():
    """(name, mesh) of every prop."""
    out = []
    for name, make in PROPS.items():
        m = Mesh()
        make(m)
        out.append((name, m))
    return out


def prop_materials():
    return mtl([(name, colour, None) for name, colour in PROP_COLOURS.items()])


KEEPER = Character("Keeper", "keeper",
                   Build(1.66, 0.17, 0.085, (0.17, 0.12), (0.16, 0.12), 0.09, 0.055, (0.1, 0.118, 0.106), belly=0.03),
                   {"skin": (0.9, 0.76, 0.66), "hair": (0.85, 0.85, 0.85), "top": (0.15, 0.22, 0.4),
                    "bottom": (0.25, 0.25, 0.28), "shoes": (0.1, 0.1, 0.1), "prop": (0.9, 0.8, 0.2),
                    "hat": (0.12, 0.15, 0.3)},
                   {"top": "buttons", "bottom": "plain", "accent": "none", "shoes": "rubber"},
                   {"hair": "long", "hat": "brim", "coat": (0.35, 1.3), "boots": True},
                   {"kind": "none"})


def keeper_frames():
    return [figure(KEEPER, idle_pose(f / 4), False) for f in range(4)]
