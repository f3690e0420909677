#!/usr/bin/env python3
"""Writes the shipped game's assets into the game folder: images, models, sounds, music and the
credits text. Everything is made here from code (fixed seeds, no downloads); running it again
rewrites the same bytes, so it is safe to run before every start.

    python3 tools/make_game_data.py [GAME_FOLDER]     (default: game)
"""
import math
import os
import random
import struct
import sys
import wave
import zlib

CHARACTERS = [
    # id, file prefix, skin, coat, trousers
    ("JossHartle", "joss", (0.87, 0.70, 0.58), (0.20, 0.35, 0.55), (0.25, 0.22, 0.20)),
    ("OrlaVance", "orla", (0.80, 0.62, 0.50), (0.60, 0.20, 0.18), (0.18, 0.18, 0.25)),
    ("MinaSorrel", "mina", (0.62, 0.45, 0.34), (0.25, 0.50, 0.30), (0.30, 0.28, 0.22)),
    ("DovKestrel", "dov", (0.93, 0.78, 0.66), (0.45, 0.42, 0.40), (0.15, 0.20, 0.30)),
    ("PellArden", "pell", (0.70, 0.52, 0.40), (0.65, 0.55, 0.25), (0.28, 0.22, 0.18)),
]
IDLE_FRAMES = 4
WALK_FRAMES = 8


# -- files -----------------------------------------------------------------------------------

def write_if_changed(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except OSError:
        pass
    temporary = path + ".tmp"
    with open(temporary, "wb") as f:
        f.write(data)
    os.replace(temporary, path)


def png(width, height, pixel):
    """An 8-bit RGBA PNG; pixel(x, y) gives (r, g, b, a) in 0-255, y = 0 at the top."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def wav(samples, rate=22050):
    """Mono 16-bit PCM from floats in -1..1."""
    import io
    out = io.BytesIO()
    with wave.open(out, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(b"".join(struct.pack("<h", int(max(-1.0, min(1.0, s)) * 32000))
                               for s in samples))
    return out.getvalue()


def clamp255(v):
    return max(0, min(255, int(v * 255)))


# -- images ----------------------------------------------------------------------------------

def icon():
    def pixel(x, y):
        dx, dy = x - 15.5, y - 15.5
        r = math.hypot(dx, dy)
        if r > 15:
            return (0, 0, 0, 0)
        wave_line = 20 + 3 * math.sin(x / 3.0)
        if y > wave_line:
            return (30, 70, 110, 255)
        return (230, 200, 120, 255) if r < 6 and y < 16 else (60, 110, 150, 255)
    return png(32, 32, pixel)


def cloth_texture(coat, seed):
    rng = random.Random(seed)
    noise = [[rng.random() for _ in range(64)] for _ in range(64)]

    def pixel(x, y):
        n = noise[y][x] * 0.12
        stripe = 0.08 if (x // 8) % 2 == 0 else 0.0
        return tuple(clamp255(c * (0.85 + n + stripe)) for c in coat) + (255,)
    return png(64, 64, pixel)


def stone_texture():
    rng = random.Random(7)
    noise = [[rng.random() for _ in range(128)] for _ in range(128)]

    def pixel(x, y):
        mortar = (y % 32 < 2) or ((x + (16 if (y // 32) % 2 else 0)) % 64 < 2)
        base = 0.35 if mortar else 0.55 + noise[y][x] * 0.15
        return (clamp255(base * 0.95), clamp255(base), clamp255(base * 1.05), 255)
    return png(128, 128, pixel)


def _mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def _smooth(t):
    t = max(0.0, min(1.0, t))
    return t * t * (3 - 2 * t)


def backdrop(width, height, colour, seed=0):
    """An opaque picture; colour(u, v, n) gives r, g, b in 0-1 for u, v in 0-1 (v = 0 at the
    top) and a per-pixel noise n in 0-1 that keeps large gradients from banding."""
    rng = random.Random(seed)
    noise = [rng.random() for _ in range(4099)]

    def pixel(x, y):
        r, g, b = colour(x / (width - 1), y / (height - 1), noise[(x * 31 + y * 17) % 4099])
        return (clamp255(r), clamp255(g), clamp255(b), 255)
    return png(width, height, pixel)


def vignette(u, v, strength=0.6):
    d = math.hypot(u - 0.5, (v - 0.5) * 0.8)
    return 1.0 - strength * _smooth(d * 1.6)


def copyright_splash(u, v, n):
    """Deep night blue with a ring of light: the first picture after start."""
    base = _mix((0.02, 0.03, 0.08), (0.05, 0.10, 0.20), v)
    ring = math.exp(-((math.hypot(u - 0.5, (v - 0.45) * 0.75) - 0.18) * 28) ** 2)
    c = _mix(base, (0.55, 0.70, 0.95), 0.6 * ring)
    return tuple(x * vignette(u, v) + 0.01 * n for x in c)


def team_splash(u, v, n):
    """Warm paper with a dark quill stroke sweeping across it."""
    paper = _mix((0.93, 0.86, 0.70), (0.78, 0.66, 0.48), _smooth(math.hypot(u - 0.5, v - 0.5) * 1.4))
    curve = 0.55 - 0.25 * math.sin((u - 0.2) * 2.2) if 0.2 < u < 0.8 else 9.0
    width = 0.012 + 0.02 * math.sin(max(0.0, min(1.0, (u - 0.2) / 0.6)) * math.pi)
    ink = _smooth(1.0 - abs(v - curve) / width) if curve < 9 else 0.0
    c = _mix(paper, (0.12, 0.08, 0.06), ink)
    return tuple(x + 0.03 * (n - 0.5) for x in c)


def main_screen(u, v, n):
    """A harbour at dusk: a sky from amber to night, dark water with a streak of light, the
    quay wall black along the left where the menu entries stand out in white."""
    horizon = 0.62
    if v < horizon:
        t = v / horizon
        c = _mix((0.05, 0.07, 0.20), (0.85, 0.45, 0.20), _smooth(t) ** 1.5)
        sun = math.exp(-((u - 0.72) ** 2 + ((v - horizon) * 1.6) ** 2) * 60)
        c = _mix(c, (1.0, 0.85, 0.55), sun)
    else:
        t = (v - horizon) / (1 - horizon)
        c = _mix((0.20, 0.16, 0.20), (0.02, 0.03, 0.07), _smooth(t))
        ripple = 0.5 + 0.5 * math.sin(v * 220 + math.sin(u * 40) * 2)
        streak = math.exp(-((u - 0.72) * (6 - 4 * t)) ** 2) * ripple * (1 - t)
        c = _mix(c, (1.0, 0.75, 0.45), 0.7 * streak)
    quay = 0.34 + 0.03 * math.sin(v * 30)
    if u < quay and v > 0.40:
        c = _mix(c, (0.02, 0.02, 0.03), 0.85)
    elif u < quay + 0.01 and v > 0.40:
        c = _mix(c, (0.02, 0.02, 0.03), 0.4)
    return tuple(x + 0.015 * (n - 0.5) for x in c)


def char_select(u, v, n):
    """A dark stage with a pool of light on the right, where the character on show stands."""
    c = _mix((0.04, 0.07, 0.09), (0.09, 0.14, 0.16), v)
    spot = math.exp(-(((u - 0.72) * 2.2) ** 2 + ((v - 0.55) * 1.4) ** 2) * 3)
    floor = _smooth((v - 0.72) * 8) * math.exp(-((u - 0.72) * 4) ** 2)
    c = _mix(c, (0.45, 0.50, 0.48), 0.55 * spot + 0.25 * floor)
    return tuple(x * vignette(u, v, 0.5) + 0.015 * (n - 0.5) for x in c)


def wait_screen(u, v, n):
    """Shown once while the menus are built: night blue with a pale band across the middle."""
    c = _mix((0.03, 0.04, 0.10), (0.06, 0.08, 0.16), v)
    band = math.exp(-((v - 0.5) * 9) ** 2)
    c = _mix(c, (0.30, 0.38, 0.55), 0.5 * band)
    return tuple(x + 0.015 * (n - 0.5) for x in c)


def gray_background(u, v, n):
    """The settings screens: slate grey, lighter at the top, dark at the edges."""
    c = _mix((0.36, 0.38, 0.41), (0.16, 0.17, 0.19), _smooth(v))
    return tuple(x * vignette(u, v, 0.45) + 0.02 * (n - 0.5) for x in c)


MENU_IMAGES = [   # file, painter, seed
    ("Copyright.png", copyright_splash, 1), ("quillbrook.png", team_splash, 2),
    ("MainScreen.png", main_screen, 3), ("CharSelect.png", char_select, 4),
    ("WaitScreen.png", wait_screen, 5), ("GrayBackground.png", gray_background, 6),
]


# -- models ----------------------------------------------------------------------------------

class Mesh:
    def __init__(self):
        self.v, self.vt, self.vn, self.groups = [], [], [], []

    def box(self, material, cx, cy, cz, sx, sy, sz, tile=1.0):
        """An axis-aligned box, faces outwards, counter-clockwise seen from outside."""
        corners = [(cx + dx * sx / 2, cy + dy * sy / 2, cz + dz * sz / 2)
                   for dx in (-1, 1) for dy in (-1, 1) for dz in (-1, 1)]
        faces = [  # corner indices, normal
            ((0, 1, 3, 2), (-1, 0, 0)), ((4, 6, 7, 5), (1, 0, 0)),
            ((0, 4, 5, 1), (0, -1, 0)), ((2, 3, 7, 6), (0, 1, 0)),
            ((0, 2, 6, 4), (0, 0, -1)), ((1, 5, 7, 3), (0, 0, 1)),
        ]
        self.quads(material, corners, faces, tile)

    def quads(self, material, corners, faces, tile):
        base_v = len(self.v)
        self.v.extend(corners)
        tris = []
        for quad, normal in faces:
            self.vn.append(normal)
            n = len(self.vn)
            t0 = len(self.vt)
            self.vt.extend([(0, 0), (tile, 0), (tile, tile), (0, tile)])
            idx = [base_v + i + 1 for i in quad]
            tc = [t0 + 1, t0 + 2, t0 + 3, t0 + 4]
            tris.append(((idx[0], tc[0], n), (idx[1], tc[1], n), (idx[2], tc[2], n)))
            tris.append(((idx[0], tc[0], n), (idx[2], tc[2], n), (idx[3], tc[3], n)))
        self.groups.append((material, tris))

    def obj(self, mtllib):
        lines = ["# Made by tools/make_game_data.py", "mtllib %s" % mtllib]
        lines += ["v %.4f %.4f %.4f" % p for p in self.v]
        lines += ["vt %.4f %.4f" % t for t in self.vt]
        lines += ["vn %.4f %.4f %.4f" % n for n in self.vn]
        for material, tris in self.groups:
            lines.append("usemtl %s" % material)
            for tri in tris:
                lines.append("f " + " ".join("%d/%d/%d" % corner for corner in tri))
        return "\n".join(lines) + "\n"


def mtl(materials):
    lines = ["# Made by tools/make_game_data.py"]
    for name, colour, texture in materials:
        # The engine reads exactly these four lines, in this order, after "newmtl".
        lines += ["newmtl %s" % name, "Ns 10.0", "Ka %.3f %.3f %.3f" % tuple(c * 0.4 for c in colour),
                  "Kd %.3f %.3f %.3f" % colour, "Ks 0.100 0.100 0.100", "d 1.0"]
        if texture:
            lines.append("map_Kd %s" % texture)
        lines.append("")
    return "\n".join(lines)


def character_frame(phase, walking):
    """A blocky figure about 1.8 units tall, standing on y = 0, facing +z. `phase` runs 0-1."""
    m = Mesh()
    swing = math.sin(phase * 2 * math.pi) * (0.35 if walking else 0.0)
    breathe = math.sin(phase * 2 * math.pi) * 0.02
    m.box("skin", 0, 1.62 + breathe, 0, 0.30, 0.30, 0.30)                 # head
    m.box("coat", 0, 1.15 + breathe, 0, 0.50, 0.60, 0.28)                 # body
    for side, s in ((-1, swing), (1, -swing)):
        m.box("coat", side * 0.33, 1.15 + breathe, s * 0.25, 0.14, 0.55, 0.14)   # arms
        m.box("legs", side * 0.13, 0.42, -s * 0.30, 0.18, 0.84, 0.18)            # legs
    return m


def on_show(mesh):
    """The character select screen draws the idle model scaled ten times, moved by (4.45, -3.8,
    -2) from a camera at z = 1.5: at a tenth of the size and shifted back, the figure stands on
    the right of the screen in its pool of light."""
    mesh.v = [(x * 0.1 - 0.355, y * 0.1 + 0.26, z * 0.1) for x, y, z in mesh.v]
    return mesh


def quay():
    m = Mesh()
    m.box("stone", 0, -0.25, 0, 24, 0.5, 24, tile=6)                       # ground
    for x, z, sx, sz in ((0, 12, 24, 0.6), (0, -12, 24, 0.6), (12, 0, 0.6, 24), (-12, 0, 0.6, 24)):
        m.box("wall", x, 1.0, z, sx, 2.0, sz, tile=4)                       # walls
    m.box("wood", 4, 0.4, -4, 1.6, 0.8, 1.0)                                # crates
    m.box("wood", -5, 0.5, 3, 1.0, 1.0, 1.0)
    m.box("stone", -3, 0.25, -6, 4, 0.5, 2)                                 # a low step
    return m


# -- sounds ----------------------------------------------------------------------------------

def bell(rate=22050):
    n = int(rate * 1.6)
    partials = ((440, 1.0), (1100, 0.5), (1760, 0.25), (2640, 0.12))
    return [sum(a * math.sin(2 * math.pi * f * i / rate) for f, a in partials)
            * math.exp(-3.0 * i / rate) * 0.45 for i in range(n)]


def step(rate=22050):
    rng = random.Random(3)
    n = int(rate * 0.12)
    return [(rng.random() * 2 - 1) * math.exp(-40.0 * i / rate) * 0.6 for i in range(n)]


def harbour_music(rate=22050):
    """Eight bars of a slow modal tune over a drone, made to loop."""
    notes = [57, 60, 64, 62, 60, 57, 55, 57, 60, 62, 64, 67, 64, 62, 60, 57]
    beat = 0.5
    total = int(rate * beat * len(notes))
    out = [0.0] * total
    for k, note in enumerate(notes):
        freq = 440.0 * 2 ** ((note - 69) / 12)
        start = int(k * beat * rate)
        for i in range(int(beat * rate * 1.5)):
            j = (start + i) % total
            env = math.exp(-2.5 * i / rate)
            out[j] += 0.25 * env * (math.sin(2 * math.pi * freq * i / rate)
                                    + 0.3 * math.sin(4 * math.pi * freq * i / rate))
    drone = 440.0 * 2 ** ((45 - 69) / 12)
    for i in range(total):
        out[i] += 0.12 * math.sin(2 * math.pi * drone * i / rate)
    return out


CREDITS = """<s 30>
<c 200 220 255>
Brackwater
<s 12>

<s 20>
<c 255 255 255>
Engine
<s 14>
Made by the Brackwater team
<s 20>

Tools
<s 14>
Models, images, sounds and music are generated by tools/make_game_data.py
Fonts are generated from DejaVu outlines (see the font licence)
<s 20>

Thanks for playing
"""


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "game"
    out = lambda *parts: os.path.join(root, *parts)

    write_if_changed(out("Images", "BrackwaterIcon.png"), icon())
    write_if_changed(out("Images", "QuayTexture.png"), stone_texture())
    write_if_changed(out("system", "Credits.txt"), CREDITS)
    for name, painter, seed in MENU_IMAGES:
        write_if_changed(out("Images", name), backdrop(400, 300, painter, seed))

    for index, (ident, prefix, skin, coat, legs) in enumerate(CHARACTERS):
        short = prefix.capitalize()
        texture = "Images/%sTexture.png" % short
        write_if_changed(out(texture), cloth_texture(coat, index))
        folder = out("Models", "Characters", ident)
        materials = [("skin", skin, None), ("coat", coat, texture), ("legs", legs, None)]
        for action, count, walking in (("idle", IDLE_FRAMES, False), ("walk", WALK_FRAMES, True)):
            library = "%s_%s.mtl" % (prefix, action)
            write_if_changed(os.path.join(folder, library), mtl(materials))
            for frame in range(count):
                mesh = character_frame(frame / count, walking)
                if not walking:
                    mesh = on_show(mesh)
                write_if_changed(os.path.join(folder, "%s_%s_%d.obj" % (prefix, action, frame)),
                                 mesh.obj(library))

    room = quay()
    write_if_changed(out("Models", "Quay", "quay.mtl"),
                     mtl([("stone", (0.6, 0.6, 0.62), "Images/QuayTexture.png"),
                          ("wall", (0.45, 0.42, 0.40), "Images/QuayTexture.png"),
                          ("wood", (0.55, 0.38, 0.22), None)]))
    write_if_changed(out("Models", "Quay", "quay.obj"), room.obj("quay.mtl"))

    write_if_changed(out("Sounds", "bell.wav"), wav(bell()))
    write_if_changed(out("Sounds", "step.wav"), wav(step()))
    write_if_changed(out("Music", "harbour.wav"), wav(harbour_music()))


if __name__ == "__main__":
    main()
