"""The room the game is played in: a walled quay of stone with crates and a low step."""
import random

from PIL import Image

from gamedata.mesh import Mesh, mtl

MATERIALS = [("stone", (0.6, 0.6, 0.62), "Images/QuayTexture.png"),
             ("wall", (0.45, 0.42, 0.40), "Images/QuayTexture.png"),
             ("wood", (0.55, 0.38, 0.22), None)]


def stone_texture():
    rng = random.Random(7)
    image = Image.new("RGBA", (128, 128))
    pixels = image.load()
    for y in range(128):
        for x in range(128):
            mortar = (y % 32 < 2) or ((x + (16 if (y // 32) % 2 else 0)) % 64 < 2)
            base = 0.35 if mortar else 0.55 + rng.random() * 0.15
            pixels[x, y] = (int(base * 0.95 * 255), int(base * 255), min(255, int(base * 1.05 * 255)), 255)
    return image


def quay():
    m = Mesh()

    def box(material, cx, cy, cz, sx, sy, sz, tile=1.0):
        m.box(material, (cx, cy, cz), (sx, sy, sz), (0, 0, tile, tile))

    box("stone", 0, -0.25, 0, 24, 0.5, 24, tile=6)                          # ground
    for x, z, sx, sz in ((0, 12, 24, 0.6), (0, -12, 24, 0.6), (12, 0, 0.6, 24), (-12, 0, 0.6, 24)):
        box("wall", x, 1.0, z, sx, 2.0, sz, tile=4)                          # walls
    box("wood", 4, 0.4, -4, 1.6, 0.8, 1.0)                                   # crates
    box("wood", -5, 0.5, 3, 1.0, 1.0, 1.0)
    box("stone", -3, 0.25, -6, 4, 0.5, 2)                                    # a low step
    return m


def materials():
    return mtl(MATERIALS)
