"""The menus' pictures and the window icon, painted with the imaging library: gradients, glows
and silhouettes in layers, with the title lettered in DejaVu. The menus write their white entries
at x = 100, y = 330 to 450 (the load screen from y = 100): the pictures keep that area dark."""
import math
import random

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

W, H = 800, 600
FONTS = "/usr/share/fonts/truetype/dejavu/"
TITLE = "Brackwater"


def font(name, size):
    return ImageFont.truetype(FONTS + name, size)


def vertical(size, stops):
    """A vertical gradient through (position 0-1, colour) stops."""
    w, h = int(size[0]), int(size[1])
    column = Image.new("RGB", (1, h))
    pixels = column.load()
    for y in range(h):
        t = y / max(1, h - 1)
        for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
            if p0 <= t <= p1:
                k = (t - p0) / max(1e-9, p1 - p0)
                k = k * k * (3 - 2 * k)
                pixels[0, y] = tuple(int(a + (b - a) * k) for a, b in zip(c0, c1))
                break
    return column.resize((w, h))


def glow(size, centre, radius, colour, strength=1.0, squash=1.0):
    """A soft round light: returns (colour layer, mask)."""
    w, h = size
    # The library's radial gradient is 0 in the middle and 181 at the middle of each edge.
    mask = Image.radial_gradient("L").point(lambda v: int(255 * strength * max(0.0, 1 - v / 181) ** 2.2))
    mask = mask.resize((int(radius * 2), int(radius * 2 * squash)))
    full = Image.new("L", size, 0)
    full.paste(mask, (int(centre[0] - radius), int(centre[1] - radius * squash)))
    return Image.new("RGB", size, colour), full


def add_glow(image, *args, **kwargs):
    layer, mask = glow(image.size, *args, **kwargs)
    image.paste(ImageChops.add(image, ImageChops.multiply(layer, Image.merge("RGB", (mask, mask, mask)))))


def grain(image, seed, amount=6):
    """Fine noise, so that wide gradients do not band on 8-bit screens."""
    rng = random.Random(seed)
    tile = Image.new("L", (64, 64))
    tile.putdata([128 + rng.randint(-amount, amount) for _ in range(64 * 64)])
    noise = Image.new("L", image.size)
    for y in range(0, image.size[1], 64):
        for x in range(0, image.size[0], 64):
            noise.paste(tile, (x, y))
    return ImageChops.add(image, Image.merge("RGB", (noise, noise, noise)), 1.0, -128)


def vignette(image, strength=0.55):
    mask = Image.radial_gradient("L").resize(image.size)
    mask = mask.point(lambda v: int(255 * strength * min(1.0, max(0.0, (v / 255 - 0.45) / 0.55)) ** 1.5))
    return Image.composite(Image.new("RGB", image.size, (0, 0, 0)), image, mask)


def lettering(image, text, position, size, fill, face="DejaVuSerif-Bold.ttf", shadow=True, anchor="la",
              glow_colour=None):
    d = ImageDraw.Draw(image)
    f = font(face, size)
    if glow_colour:
        layer = Image.new("RGB", image.size, (0, 0, 0))
        ImageDraw.Draw(layer).text(position, text, font=f, fill=glow_colour, anchor=anchor)
        image.paste(ImageChops.add(image, layer.filter(ImageFilter.GaussianBlur(size / 6))))
    if shadow:
        layer = Image.new("L", image.size, 0)
        ImageDraw.Draw(layer).text((position[0] + size // 18, position[1] + size // 14), text, font=f,
                                   fill=200, anchor=anchor)
        layer = layer.filter(ImageFilter.GaussianBlur(max(1, size // 30)))
        image.paste(Image.composite(Image.new("RGB", image.size, (0, 0, 0)), image, layer))
    if isinstance(fill, tuple) and isinstance(fill[0], tuple):   # a gradient from top to bottom
        box = [int(v) for v in d.textbbox(position, text, font=f, anchor=anchor)]
        mask = Image.new("L", image.size, 0)
        ImageDraw.Draw(mask).text(position, text, font=f, fill=255, anchor=anchor)
        shade = Image.new("RGB", image.size, fill[1])
        shade.paste(vertical((box[2] - box[0] + 2, box[3] - box[1] + 2), [(0, fill[0]), (1, fill[1])]),
                    (box[0], box[1]))
        image.paste(Image.composite(shade, image, mask))
    else:
        d.text(position, text, font=f, fill=fill, anchor=anchor)


def lighthouse(d, x, base, height, body, stripes, lamp):
    """A tapering tower with bands, gallery and lantern; (x, base) is the middle of its foot."""
    top = base - height
    wb, wt = height * 0.13, height * 0.08
    d.polygon([(x - wb, base), (x + wb, base), (x + wt, top), (x - wt, top)], fill=body)
    for k in range(1, 4):
        y0 = base - height * (k * 0.25 - 0.06)
        y1 = base - height * (k * 0.25 + 0.06)
        w0 = wb + (wt - wb) * (base - y0) / height
        w1 = wb + (wt - wb) * (base - y1) / height
        d.polygon([(x - w0, y0), (x + w0, y0), (x + w1, y1), (x - w1, y1)], fill=stripes)
    d.rectangle((x - wt * 1.5, top - height * 0.02, x + wt * 1.5, top), fill=body)
    d.rectangle((x - wt * 0.8, top - height * 0.12, x + wt * 0.8, top - height * 0.02), fill=lamp)
    d.polygon([(x - wt * 1.1, top - height * 0.12), (x + wt * 1.1, top - height * 0.12), (x, top - height * 0.2)],
              fill=body)


def boat(d, x, y, size, colour, mast=True):
    d.polygon([(x - size, y), (x + size, y), (x + size * 0.75, y + size * 0.3), (x - size * 0.7, y + size * 0.3)],
              fill=colour)
    if mast:
        d.line((x, y, x, y - size * 1.6), fill=colour, width=max(1, int(size / 12)))
        d.polygon([(x + 2, y - size * 1.5), (x + 2, y - size * 0.15), (x + size * 0.8, y - size * 0.15)], fill=colour)


def harbour(size=(W, H), seed=3):
    """Dusk over the harbour: the sky from night to amber, the sun low behind a headland with a
    lighthouse whose beam sweeps over the water, boats at anchor, and the dark quay on the left."""
    w, h = size
    horizon = int(h * 0.6)
    image = vertical(size, [(0, (10, 14, 40)), (0.35, (60, 45, 90)), (0.55, (215, 115, 70)),
                            (0.6, (250, 190, 110)), (0.61, (60, 60, 85)), (1, (8, 12, 25))])
    add_glow(image, (w * 0.68, horizon - 10), w * 0.45, (255, 170, 90), 0.8, 0.45)
    add_glow(image, (w * 0.68, horizon - 6), w * 0.09, (255, 240, 200), 1.0, 1.0)
    rng = random.Random(seed)
    d = ImageDraw.Draw(image)
    for _ in range(90):   # the first stars
        x, y = rng.randrange(w), rng.randrange(int(h * 0.3))
        v = rng.randrange(120, 255)
        d.point((x, y), fill=(v, v, min(255, v + 20)))
    for k in range(5):    # long clouds lit from below
        cy = h * (0.18 + 0.07 * k)
        cx = w * (0.2 + 0.17 * k) + rng.randrange(-40, 40)
        layer = Image.new("L", size, 0)
        ImageDraw.Draw(layer).ellipse((cx - 170, cy - 9, cx + 170, cy + 9), fill=140)
        layer = layer.filter(ImageFilter.GaussianBlur(7))
        tone = (120 + 25 * k, 80 + 12 * k, 110 - 5 * k)
        image.paste(Image.composite(Image.new("RGB", size, tone), image, layer))
    d = ImageDraw.Draw(image)
    # Far hills and the headland.
    hills = [(0, horizon)] + [(x, horizon - 18 - 14 * math.sin(x / 70.0) - 9 * math.sin(x / 23.0))
                              for x in range(0, w + 10, 10)] + [(w, horizon)]
    d.polygon(hills, fill=(55, 45, 70))
    head = [(w * 0.72, horizon)] + [(w * 0.72 + t * w * 0.28, horizon - 60 * math.sin(min(1.0, t * 1.6) * math.pi / 2)
                                     - 8 * math.sin(t * 17)) for t in [i / 30 for i in range(31)]] + [(w, horizon)]
    d.polygon(head, fill=(30, 26, 40))
    lx, lbase = w * 0.88, horizon - 56
    # The beam first, so the tower stands in front of it.
    beam = Image.new("L", size, 0)
    ImageDraw.Draw(beam).polygon([(lx, lbase - 118), (lx - w * 0.55, lbase - 190), (lx - w * 0.55, lbase - 95)], fill=90)
    beam = beam.filter(ImageFilter.GaussianBlur(12))
    image.paste(ImageChops.add(image, Image.merge("RGB", (beam, beam, beam.point(lambda v: v * 3 // 4)))))
    d = ImageDraw.Draw(image)
    lighthouse(d, lx, lbase, 120, (225, 215, 205), (170, 40, 40), (255, 240, 170))
    add_glow(image, (lx, lbase - 111), 30, (255, 230, 150), 0.9)
    d = ImageDraw.Draw(image)
    # Water: streaks of light under the sun and the lamp, dark ripples.
    for y in range(horizon + 2, h, 3):
        t = (y - horizon) / (h - horizon)
        for cx, spread, colour in ((w * 0.68, 30 + 260 * t, (255, 190, 120)), (lx, 10 + 60 * t, (255, 230, 160))):
            for _ in range(3):
                x = cx + rng.gauss(0, spread)
                length = rng.randrange(6, 30)
                k = max(0.0, 1.0 - t * 1.1)
                c = tuple(int(v * k + 20 * (1 - k)) for v in colour)
                d.line((x - length, y, x + length, y), fill=c)
        for _ in range(5):
            x = rng.randrange(w)
            d.line((x, y, x + rng.randrange(10, 40), y), fill=(5, 8, 18))
    for bx, by, s in ((w * 0.5, horizon + 24, 22), (w * 0.6, horizon + 12, 13), (w * 0.44, horizon + 8, 9)):
        boat(d, bx, by, s, (20, 16, 26))
    # The quay: a stone wall running out on the left, with a bollard and a lamp post.
    quay = [(0, h * 0.42), (w * 0.3, h * 0.56), (w * 0.36, h * 0.58), (w * 0.36, h), (0, h)]
    d.polygon(quay, fill=(16, 14, 20))
    for k in range(12):
        y = h * 0.6 + k * 20
        d.line((0, y, w * 0.36, y + 6), fill=(26, 23, 31), width=2)
    d.line((w * 0.29, h * 0.56, w * 0.29, h * 0.36), fill=(12, 11, 15), width=5)
    d.line((w * 0.29, h * 0.36, w * 0.32, h * 0.36), fill=(12, 11, 15), width=4)
    d.rectangle((w * 0.31, h * 0.36, w * 0.335, h * 0.41), fill=(255, 210, 130))
    add_glow(image, (w * 0.322, h * 0.39), 70, (255, 190, 110), 0.7)
    image = vignette(image, 0.5)
    return grain(image, seed)


def main_screen():
    image = harbour()
    lettering(image, TITLE, (60, 70), 92, ((255, 236, 180), (220, 140, 70)), glow_colour=(120, 60, 20))
    lettering(image, "a harbour mystery", (66, 178), 26, (230, 215, 200), face="DejaVuSerif-Italic.ttf")
    return image


def copyright_splash():
    """The engine's card: a ring of light over deep blue, the name, and who made what it runs on."""
    image = vertical((W, H), [(0, (4, 8, 24)), (1, (12, 26, 52))])
    add_glow(image, (W / 2, H * 0.4), 230, (60, 110, 200), 0.9)
    ring = Image.new("L", (W, H), 0)
    ImageDraw.Draw(ring).ellipse((W / 2 - 120, H * 0.4 - 120, W / 2 + 120, H * 0.4 + 120), outline=255, width=10)
    soft = ring.filter(ImageFilter.GaussianBlur(10))
    image.paste(ImageChops.add(image, Image.merge("RGB", (soft.point(lambda v: v // 2), soft, soft))))
    image.paste(Image.composite(Image.new("RGB", (W, H), (200, 225, 255)), image, ring))
    d = ImageDraw.Draw(image)
    for k in range(3):   # waves inside the ring
        y = H * 0.4 + 20 + k * 26
        d.line([(W / 2 - 100 + x, y + 8 * math.sin(x / 16.0 + k)) for x in range(0, 201, 4)],
               fill=(150, 190, 240), width=5)
    lighthouse(d, W / 2, H * 0.4 + 14, 110, (225, 232, 245), (60, 100, 170), (255, 245, 190))
    lettering(image, "BRACKWATER", (W / 2, H * 0.72), 58, ((235, 245, 255), (140, 180, 235)), anchor="mm")
    lettering(image, "ENGINE", (W / 2, H * 0.8), 24, (150, 180, 220), face="DejaVuSans.ttf", anchor="mm")
    lettering(image, "Runs on SDL, OpenGL and Python", (W / 2, H * 0.9), 16, (110, 130, 165),
              face="DejaVuSans.ttf", anchor="mm", shadow=False)
    lettering(image, "Press Return", (W / 2, H * 0.95), 14, (90, 105, 135), face="DejaVuSans.ttf", anchor="mm",
              shadow=False)
    return grain(vignette(image, 0.5), 1)


def team_splash():
    """The makers' card: warm paper, a sweeping quill stroke, the studio's name in ink."""
    image = vertical((W, H), [(0, (238, 224, 190)), (1, (205, 180, 135))])
    add_glow(image, (W / 2, H * 0.42), 360, (40, 35, 20), 0.5)
    d = ImageDraw.Draw(image)
    rng = random.Random(2)
    for _ in range(1800):   # paper fibres
        x, y = rng.randrange(W), rng.randrange(H)
        c = rng.randrange(170, 215)
        d.line((x, y, x + rng.randrange(2, 7), y + rng.randrange(-1, 2)), fill=(c, c - 15, c - 45))
    stroke = Image.new("L", (W, H), 0)
    sd = ImageDraw.Draw(stroke)
    for i in range(160):
        t = i / 159
        x = W * (0.2 + 0.6 * t)
        y = H * (0.5 - 0.25 * math.sin((t * 0.6) * 2.2))
        r = 2 + 9 * math.sin(t * math.pi)
        sd.ellipse((x - r, y - r, x + r, y + r), fill=255)
    stroke = stroke.filter(ImageFilter.GaussianBlur(1.5))
    image.paste(Image.composite(Image.new("RGB", (W, H), (35, 25, 20)), image, stroke))
    d = ImageDraw.Draw(image)
    # The quill at the stroke's end.
    qx, qy = W * 0.8, H * 0.5 - H * 0.25 * math.sin(0.6 * 2.2)
    d.polygon([(qx, qy), (qx + 22, qy - 60), (qx + 60, qy - 120), (qx + 34, qy - 52)], fill=(250, 248, 240))
    d.polygon([(qx + 22, qy - 60), (qx + 60, qy - 120), (qx + 14, qy - 78)], fill=(225, 220, 205))
    d.line((qx, qy, qx + 58, qy - 116), fill=(120, 100, 80), width=2)
    lettering(image, "Quillbrook", (W / 2, H * 0.68), 64, (40, 28, 22), face="DejaVuSerif-Italic.ttf", anchor="mm",
              shadow=False)
    lettering(image, "presents", (W / 2, H * 0.77), 24, (95, 75, 60), face="DejaVuSerif.ttf", anchor="mm",
              shadow=False)
    return grain(vignette(image, 0.45), 2, 4)


def char_select():
    """A dark stage on the quay at night; a lamp throws a pool of light on the right where the
    character on show stands; the left stays dark for the name and the description."""
    image = vertical((W, H), [(0, (8, 12, 22)), (0.7, (18, 26, 36)), (0.71, (30, 32, 36)), (1, (14, 14, 18))])
    d = ImageDraw.Draw(image)
    for k in range(9):   # boards of the quay
        y = H * 0.71 + k * k * 2.4 + k * 4
        d.line((0, y, W, y), fill=(22, 22, 26), width=2)
    cone = Image.new("L", (W, H), 0)
    ImageDraw.Draw(cone).polygon([(W * 0.735 - 18, 0), (W * 0.735 + 18, 0), (W * 0.735 + 170, H * 0.93),
                                  (W * 0.735 - 170, H * 0.93)], fill=70)
    cone = cone.filter(ImageFilter.GaussianBlur(30))
    image.paste(ImageChops.add(image, Image.merge("RGB", (cone, cone, cone.point(lambda v: v * 4 // 5)))))
    add_glow(image, (W * 0.735, H * 0.92), 190, (170, 160, 130), 0.8, 0.22)
    # Railing posts and a rope along the back, and a lantern hanging at the top.
    d = ImageDraw.Draw(image)
    for x in range(20, W, 110):
        d.rectangle((x, H * 0.52, x + 10, H * 0.71), fill=(10, 12, 18))
    d.line([(x, H * 0.56 + 10 * math.sin(x / 35.0) ** 2) for x in range(0, W + 1, 5)], fill=(12, 14, 20), width=4)
    lettering(image, "Choose your two", (60, 60), 40, ((255, 236, 180), (220, 150, 80)))
    lettering(image, "Left and Right to look, Return to choose, Backspace to go back", (62, 112), 15,
              (150, 155, 170), face="DejaVuSans.ttf", shadow=False)
    return grain(vignette(image, 0.5), 4)


def wait_screen():
    image = vertical((W, H), [(0, (4, 6, 18)), (1, (12, 18, 38))])
    add_glow(image, (W / 2, H / 2), 320, (50, 70, 120), 0.6, 0.35)
    lettering(image, TITLE, (W / 2, H * 0.45), 64, ((230, 238, 255), (150, 170, 215)), anchor="mm")
    lettering(image, "Loading ...", (W / 2, H * 0.58), 22, (150, 165, 200), face="DejaVuSans.ttf", anchor="mm",
              shadow=False)
    return grain(vignette(image, 0.5), 5)


def gray_background():
    """The settings screens: slate, lighter at the top, with a faint chart of the coast."""
    image = vertical((W, H), [(0, (92, 98, 106)), (1, (36, 38, 44))])
    d = ImageDraw.Draw(image)
    for k in range(6):
        base = H * 0.15 + k * 95
        d.line([(x, base + 22 * math.sin(x / 90.0 + k) + 9 * math.sin(x / 31.0)) for x in range(0, W + 1, 6)],
               fill=(104 - k * 9, 110 - k * 9, 118 - k * 9), width=2)
    image = image.filter(ImageFilter.GaussianBlur(1))
    return grain(vignette(image, 0.6), 6, 4)


def icon():
    """32 x 32: a lighthouse on the water against the evening sky, in a round badge."""
    size = 128
    image = vertical((size, size), [(0, (30, 40, 90)), (0.6, (230, 140, 80)), (0.62, (30, 60, 100)), (1, (15, 30, 55))])
    d = ImageDraw.Draw(image)
    lighthouse(d, size * 0.52, size * 0.7, 82, (245, 240, 235), (200, 40, 40), (255, 240, 150))
    for k in range(3):
        y = size * 0.75 + k * 9
        d.line([(x, y + 3 * math.sin(x / 7.0 + k)) for x in range(0, size + 1, 3)], fill=(120, 170, 220), width=3)
    mask = Image.new("L", (size, size), 0)
    ImageDraw.Draw(mask).ellipse((2, 2, size - 3, size - 3), fill=255)
    image = image.convert("RGBA")
    image.putalpha(mask)
    return image.resize((32, 32), Image.LANCZOS)


def menu_images():
    return [("Copyright.png", copyright_splash()), ("quillbrook.png", team_splash()),
            ("MainScreen.png", main_screen()), ("CharSelect.png", char_select()),
            ("WaitScreen.png", wait_screen()), ("GrayBackground.png", gray_background())]
