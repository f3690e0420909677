"""The five playable characters: each a figure of its own build and dress with the thing it is
known for in hand or on it, an idle cycle and a walk cycle, and a texture of its own."""
import math
import random

from PIL import Image, ImageDraw, ImageFilter

from gamedata.mesh import Mesh, add, lerp, rotate_x, rotate_y, rotate_z, scale

IDLE_FRAMES = 4
WALK_FRAMES = 8
ATLAS = 256

# Patches of each character's texture (u0, v0, u1, v1; v = 0 at the top of the image), a texel
# in from their edges so that filtering never reaches into the neighbouring patch.
_IN = 1.5 / ATLAS
FACE = (0 + _IN, 0 + _IN, 0.5 - _IN, 0.5 - _IN)
TOP = (0.5 + _IN, 0 + _IN, 1 - _IN, 0.5 - _IN)
BOTTOM = (0 + _IN, 0.5 + _IN, 0.5 - _IN, 1 - _IN)
PLAIN = (0.5 + _IN, 0.5 + _IN, 0.75 - _IN, 0.75 - _IN)
ACCENT = (0.75 + _IN, 0.5 + _IN, 1 - _IN, 0.75 - _IN)
HAIR = (0.5 + _IN, 0.75 + _IN, 0.75 - _IN, 1 - _IN)
SHOE = (0.75 + _IN, 0.75 + _IN, 1 - _IN, 1 - _IN)


class Build:
    """Body measures in units (the figure is about 1.8 units tall, standing on y = 0)."""

    def __init__(self, height, shoulders, hips, chest, waist, thigh, arm, head, belly=0.0):
        self.height = height
        self.shoulders = shoulders      # half the width across the shoulders
        self.hips = hips                # half the distance between the hip joints
        self.chest = chest              # (rx, rz) of the torso at the chest
        self.waist = waist              # (rx, rz) at the waist
        self.thigh = thigh              # radius at the top of the thigh
        self.arm = arm                  # radius of the upper arm
        self.head = head                # (rx, ry, rz)
        self.belly = belly              # how far the stomach pushes the waist forward


class Character:
    def __init__(self, ident, prefix, build, colours, patterns, dress, prop):
        self.ident, self.prefix, self.build = ident, prefix, build
        self.colours = colours          # material -> (r, g, b)
        self.patterns = patterns        # what the texture draws: see texture()
        self.dress = dress              # hair, hat, coat (hem height, flare), boots, look (head tilt)
        self.prop = prop                # kind (phone, lighter, sketchbook, laptop_bag, bird), held arms


class Pose:
    """Joint angles in radians; positive swings a limb forward (+z)."""

    def __init__(self, legs=(0.0, 0.0), knees=(0.05, 0.05), arms=(0.0, 0.0), elbows=(0.15, 0.15),
                 breathe=0.0, sway=0.0, tick=0.0):
        self.legs, self.knees, self.arms, self.elbows = legs, knees, arms, elbows
        self.breathe, self.sway, self.tick = breathe, sway, tick


def walk_pose(phase):
    s = math.sin(2 * math.pi * phase)
    lift = lambda t: 0.08 + 0.75 * max(0.0, math.sin(2 * math.pi * t)) ** 2
    return Pose(legs=(0.42 * s, -0.42 * s), knees=(lift(phase + 0.1), lift(phase + 0.6)),
                arms=(-0.45 * s, 0.45 * s), elbows=(0.3 + 0.15 * max(0, -s), 0.3 + 0.15 * max(0, s)),
                sway=0.02 * s, tick=phase)


def idle_pose(phase):
    b = math.sin(2 * math.pi * phase)
    return Pose(legs=(0.02, -0.02), knees=(0.06, 0.04), arms=(0.03 * b, -0.03 * b), elbows=(0.2, 0.2),
                breathe=0.012 * (b + 1) / 2, sway=0.012 * b, tick=phase)


def leg_chain(hip, thigh_len, shin_len, angle, knee_bend):
    knee = add(hip, scale(rotate_x((0, -1, 0), angle), thigh_len))
    ankle = add(knee, scale(rotate_x((0, -1, 0), angle - knee_bend), shin_len))
    return knee, ankle


def figure(c, pose, walking):
    b = c.build
    h = b.height
    m = Mesh()
    thigh_len, shin_len, ankle_y = 0.245 * h, 0.235 * h, 0.05 * h
    # The hip sits as high as the straighter leg allows: that foot stays on the ground.
    drops = [thigh_len * math.cos(a) + shin_len * math.cos(a - k) for a, k in zip(pose.legs, pose.knees)]
    hip_y = max(drops) + ankle_y
    sway = pose.sway * h
    shoulder_y = hip_y + 0.315 * h + pose.breathe * h * 0.3
    chest_y = shoulder_y - 0.08 * h

    # Legs, shoes.
    for side, angle, bend in ((-1, pose.legs[0], pose.knees[0]), (1, pose.legs[1], pose.knees[1])):
        hip = (side * b.hips + sway * 0.3, hip_y, 0.0)
        knee, ankle = leg_chain(hip, thigh_len, shin_len, angle, bend)
        boots = c.dress.get("boots")
        m.limb("bottom", [(add(hip, (0, 0.03 * h, 0)), b.thigh), (knee, b.thigh * 0.72),
                          (ankle, b.thigh * 0.5)], BOTTOM)
        if boots:
            m.limb("shoes", [(lerp(knee, ankle, 0.25), b.thigh * 0.66), (ankle, b.thigh * 0.6)], SHOE)
        foot_tilt = max(0.0, -(angle - bend)) * 0.6 if walking else 0.0
        m.ellipsoid("shoes", add(ankle, (0, -0.018 * h, 0.045 * h)), (0.05 * h * 1.05, 0.032 * h, 0.085 * h),
                    SHOE, 10, 6, turn=lambda v, t=foot_tilt: rotate_x(v, -t))

    # Torso: hips, waist, chest, shoulders, closed at the neck.
    wx, wz = b.waist
    cx, cz = b.chest
    lean = sway * 0.5
    # The seat of the trousers, then the garment over it from the hips to the neck.
    m.loft("bottom", [
        ((lean, hip_y - 0.06 * h, 0.0), (0, 1, 0), 0.0, 0.0),
        ((lean, hip_y - 0.045 * h, 0.0), (0, 1, 0), wx * 0.7, wz * 0.7),
        ((lean, hip_y, 0.0), (0, 1, 0), b.hips + b.thigh * 0.95, wz * 1.0),
        ((lean, hip_y + 0.06 * h, b.belly * 0.3), (0, 1, 0), wx * 0.98, wz * 0.98 + b.belly * 0.3),
    ], BOTTOM, 14)
    torso = [
        ((lean, hip_y - 0.015 * h, 0.0), (0, 1, 0), b.hips + b.thigh * 1.02, wz * 1.08),
        ((lean, hip_y + 0.09 * h, b.belly * 0.5), (0, 1, 0), wx, wz + b.belly * 0.5),
        ((lean, hip_y + 0.16 * h, b.belly), (0, 1, 0), wx * 1.02 + b.belly * 0.4, wz + b.belly),
        ((lean, chest_y, b.belly * 0.3), (0, 1, 0), cx, cz + pose.breathe * h * 0.4),
        ((lean, shoulder_y - 0.01 * h, 0.0), (0, 1, 0), b.shoulders, cz * 0.8),
        ((lean, shoulder_y + 0.02 * h, 0.0), (0, 1, 0), b.shoulders * 0.55, cz * 0.55),
        ((lean, shoulder_y + 0.035 * h, 0.0), (0, 1, 0), 0.0, 0.0),
    ]
    m.loft("top", torso, TOP, 14)

    coat = c.dress.get("coat")
    if coat:   # a skirt of cloth from the waist, flaring to `coat` times the height above ground
        hem_y, flare = coat
        # Deep enough front to back that a striding leg stays inside the hem.
        reach = max(abs(math.sin(a)) for a in pose.legs) * (hip_y - hem_y * h) + b.thigh * 0.9
        rings = [((lean, hip_y + 0.08 * h, b.belly * 0.4), (0, 1, 0), wx * 1.04 + 0.004, wz + b.belly * 0.4 + 0.004),
                 ((lean, hip_y - 0.02 * h, 0.0), (0, 1, 0), (b.hips + b.thigh) * 1.12, wz * 1.25),
                 ((lean, hem_y * h, 0.0), (0, 1, 0), (b.hips + b.thigh) * flare, max(wz * flare * 1.1, reach))]
        m.loft(c.dress.get("coat_material", "top"), rings, TOP, 14)

    # Neck and head.
    neck_base = (lean, shoulder_y + 0.02 * h, 0.0)
    head_c = (lean, shoulder_y + 0.035 * h + b.head[1], 0.012 * h)
    m.limb("skin", [(neck_base, 0.035 * h), (add(head_c, (0, -b.head[1] * 0.6, -0.01 * h)), 0.03 * h)], PLAIN, 8)
    look = c.dress.get("look", 0.0)
    turn_head = lambda v: rotate_x(v, look)
    m.ellipsoid("skin", head_c, b.head, FACE, 16, 10, turn=turn_head)
    _hair(m, c, head_c, b.head, h, turn_head)

    # Arms, hands.
    hands = []
    for index, side in enumerate((-1, 1)):
        shoulder = (lean + side * b.shoulders * 0.92, shoulder_y - 0.02 * h, 0.0)
        swing, bend = pose.arms[index], pose.elbows[index]
        held = c.prop.get("arm") if side == 1 else c.prop.get("other_arm")
        if held:
            swing, bend = held[0] + swing * 0.2, held[1]
        out = 0.12 + (0.05 if b.belly > 0 else 0.0)
        upper = (side * math.sin(out), -math.cos(out), 0.0)
        elbow = add(shoulder, scale(rotate_x(upper, swing), 0.18 * h))
        hand = add(elbow, scale(rotate_x((side * 0.05, -1, 0), swing + bend), 0.165 * h))
        sleeve = c.dress.get("sleeve", "top")
        m.limb(sleeve, [(shoulder, b.arm), (elbow, b.arm * 0.85), (lerp(elbow, hand, 0.8), b.arm * 0.7)], TOP, 10)
        m.ellipsoid("skin", hand, (0.028 * h, 0.04 * h, 0.022 * h), PLAIN, 8, 6,
                    turn=lambda v, a=swing + bend: rotate_x(v, a))
        hands.append((hand, swing + bend))
    _prop(m, c, pose, hands, (lean, shoulder_y, 0.0), hip_y, h, walking)
    return m


def _hair(m, c, head_c, head, h, turn):
    rx, ry, rz = head
    style = c.dress.get("hair", "short")
    if style == "short":
        m.ellipsoid("hair", add(head_c, (0, 0.012 * h, -0.012 * h)), (rx * 1.08, ry * 0.95, rz * 1.05), HAIR, 14, 8, turn)
    elif style == "ponytail":
        m.ellipsoid("hair", add(head_c, (0, 0.014 * h, -0.014 * h)), (rx * 1.07, ry * 0.96, rz * 1.04), HAIR, 14, 8, turn)
        m.limb("hair", [(add(head_c, (0, 0.01 * h, -rz * 1.0)), 0.022 * h),
                        (add(head_c, (0, -0.06 * h, -rz * 1.5)), 0.018 * h),
                        (add(head_c, (0, -0.13 * h, -rz * 1.45)), 0.008 * h)], HAIR, 8)
    elif style == "long":
        m.ellipsoid("hair", add(head_c, (0, 0.012 * h, -0.014 * h)), (rx * 1.1, ry * 0.97, rz * 1.05), HAIR, 14, 8, turn)
        m.loft("hair", [(add(head_c, (0, 0.0, -rz * 0.35)), (0, 1, 0), rx * 1.08, rz * 0.75),
                        (add(head_c, (0, -0.08 * h, -rz * 0.55)), (0, 1, 0), rx * 1.12, rz * 0.6),
                        (add(head_c, (0, -0.17 * h, -rz * 0.7)), (0, 1, 0), rx * 1.0, rz * 0.35),
                        (add(head_c, (0, -0.18 * h, -rz * 0.7)), (0, 1, 0), 0.0, 0.0)], HAIR, 12)
    elif style == "buzz":
        m.ellipsoid("hair", add(head_c, (0, 0.008 * h, -0.006 * h)), (rx * 1.03, ry * 0.94, rz * 1.02), HAIR, 14, 8, turn)
    hat = c.dress.get("hat")
    top = add(head_c, (0, ry * 0.75, -0.004 * h))
    if hat == "brim":
        m.loft("hat", [(add(top, (0, -0.005 * h, 0)), (0, 1, 0), 0.0, 0.0),
                       (add(top, (0, -0.004 * h, 0)), (0, 1, 0), rx * 2.1, rz * 2.2),
                       (add(top, (0, 0.004 * h, 0)), (0, 1, 0), rx * 2.1, rz * 2.2),
                       (add(top, (0, 0.006 * h, 0)), (0, 1, 0), rx * 1.1, rz * 1.1),
                       (add(top, (0, 0.05 * h, 0)), (0, 1, 0), rx * 0.95, rz * 0.95),
                       (add(top, (0, 0.058 * h, 0)), (0, 1, 0), 0.0, 0.0)], SHOE, 16)
    elif hat == "beret":
        m.ellipsoid("hat", add(top, (0.02 * h, 0.008 * h, -0.004 * h)), (rx * 1.25, ry * 0.32, rz * 1.2), PLAIN, 14, 6,
                    turn=lambda v: rotate_z(v, -0.25))
    elif hat == "hood":   # a hoodie's hood lying down at the back of the neck
        m.ellipsoid("top", add(head_c, (0, -ry * 1.05, -rz * 1.05)), (rx * 1.25, ry * 0.45, rz * 0.7), TOP, 12, 6)


def _prop(m, c, pose, hands, shoulders, hip_y, h, walking):
    kind = c.prop["kind"]
    right, right_angle = hands[1]
    left, left_angle = hands[0]
    if kind == "phone":    # held up in the right hand, screen toward the face
        tilt = lambda v: rotate_x(v, -0.9)
        phone = add(right, (-0.01 * h, 0.03 * h, 0.015 * h))
        m.box("prop", phone, (0.04 * h, 0.075 * h, 0.008 * h), PLAIN, tilt)
        m.box("screen", add(phone, tilt((0, 0, -0.0045 * h))), (0.034 * h, 0.064 * h, 0.002 * h), ACCENT, tilt)
    elif kind == "lighter":   # a lighter in the right hand, its flame flickering
        base = add(right, (-0.005 * h, 0.035 * h, 0.018 * h))
        m.box("prop", base, (0.024 * h, 0.032 * h, 0.012 * h), PLAIN)
        m.box("cap", add(base, (0, 0.02 * h, 0)), (0.024 * h, 0.009 * h, 0.012 * h), PLAIN)
        flicker = 1.0 + 0.25 * math.sin(2 * math.pi * pose.tick * (3 if walking else 1))
        tip = add(base, (0.004 * h * math.sin(2 * math.pi * pose.tick), 0.075 * h * flicker, 0))
        m.limb("flame", [(add(base, (0, 0.026 * h, 0)), 0.007 * h), (lerp(add(base, (0, 0.026 * h, 0)), tip, 0.35), 0.011 * h),
                         (tip, 0.001 * h)], ACCENT, 8)
    elif kind == "sketchbook":   # under the left arm, a pencil in the right hand
        book_at = add(shoulders, (-c.build.shoulders * 1.12, -0.17 * h, 0.02 * h))
        m.box("prop", book_at, (0.018 * h, 0.16 * h, 0.12 * h), ACCENT, lambda v: rotate_z(v, 0.08))
        m.limb("pencil", [(add(right, (0, 0.0, 0.02 * h)), 0.004 * h), (add(right, (0.0, 0.07 * h, 0.035 * h)), 0.004 * h)],
               PLAIN, 6)
    elif kind == "laptop_bag":   # on the left hip, its strap across the chest to the right shoulder
        bag_at = (shoulders[0] - c.build.waist[0] - 0.05 * h, hip_y + 0.01 * h, 0.015 * h)
        m.box("prop", bag_at, (0.05 * h, 0.16 * h, 0.2 * h), ACCENT, lambda v: rotate_y(v, 1.45))
        chest = c.build.chest[1] + c.build.belly
        m.limb("strap", [(add(bag_at, (0.015 * h, 0.07 * h, 0.0)), 0.007 * h),
                         ((shoulders[0] - c.build.waist[0] * 0.6, hip_y + 0.14 * h, chest * 0.95 + 0.005 * h), 0.007 * h),
                         ((shoulders[0], hip_y + 0.22 * h, c.build.chest[1] * 1.1 + 0.012 * h), 0.007 * h),
                         ((shoulders[0] + c.build.shoulders * 0.75, shoulders[1] + 0.01 * h, 0.0), 0.007 * h),
                         ((shoulders[0] + c.build.shoulders * 0.55, shoulders[1] - 0.03 * h, -c.build.chest[1] * 0.9), 0.007 * h)],
               PLAIN, 6)
    elif kind == "bird":   # a small bird on the left shoulder that bobs its head
        perch = add(shoulders, (-c.build.shoulders * 0.7, 0.035 * h, -0.01 * h))
        bob = 0.01 * h * math.sin(2 * math.pi * pose.tick * (2 if walking else 1))
        body = add(perch, (0, 0.035 * h, 0))
        m.ellipsoid("bird", body, (0.028 * h, 0.03 * h, 0.05 * h), ACCENT, 10, 6, turn=lambda v: rotate_x(v, 0.5))
        head = add(body, (0, 0.038 * h + bob * 0.5, 0.03 * h + bob))
        m.ellipsoid("bird", head, (0.02 * h, 0.02 * h, 0.021 * h), ACCENT, 10, 6)
        m.limb("beak", [(add(head, (0, 0, 0.016 * h)), 0.007 * h), (add(head, (0, -0.004 * h, 0.04 * h)), 0.001 * h)], PLAIN, 6)
        m.limb("bird", [(add(body, (0, -0.01 * h, -0.04 * h)), 0.014 * h), (add(body, (0, -0.03 * h, -0.09 * h)), 0.004 * h)],
               ACCENT, 6)
        # and a crook in the right hand, as a shepherd carries it
        m.limb("crook", [(add(right, (0, -0.45 * h * 0.9, 0.02 * h)), 0.01 * h), (add(right, (0, 0.12 * h, 0.02 * h)), 0.01 * h),
                         (add(right, (0, 0.17 * h, 0.05 * h)), 0.01 * h), (add(right, (0, 0.15 * h, 0.09 * h)), 0.01 * h)],
               SHOE, 6)


CHARACTERS = [
    Character("JossHartle", "joss",
              Build(1.78, 0.175, 0.085, (0.16, 0.11), (0.135, 0.095), 0.086, 0.057, (0.1, 0.118, 0.108)),
              {"skin": (0.92, 0.74, 0.62), "hair": (0.32, 0.2, 0.12), "top": (0.95, 0.52, 0.12),
               "bottom": (0.3, 0.38, 0.58), "shoes": (0.95, 0.95, 0.95), "prop": (0.12, 0.12, 0.14),
               "screen": (0.75, 0.9, 1.0)},
              {"top": "zip", "bottom": "denim", "accent": "screen", "shoes": "sneaker"},
              {"hair": "short", "look": -0.3},
              {"kind": "phone", "arm": (0.35, 1.55)}),
    Character("OrlaVance", "orla",
              Build(1.86, 0.165, 0.075, (0.145, 0.1), (0.115, 0.085), 0.077, 0.050, (0.095, 0.118, 0.104)),
              {"skin": (0.96, 0.8, 0.7), "hair": (0.6, 0.2, 0.08), "top": (0.62, 0.1, 0.12),
               "bottom": (0.13, 0.13, 0.16), "shoes": (0.2, 0.13, 0.1), "prop": (0.1, 0.3, 0.75),
               "cap": (0.85, 0.85, 0.9), "flame": (1.0, 0.75, 0.3)},
              {"top": "buttons", "bottom": "plain", "accent": "flame", "shoes": "leather"},
              {"hair": "ponytail", "coat": (0.33, 1.35), "boots": True},
              {"kind": "lighter", "arm": (0.25, 1.25)}),
    Character("MinaSorrel", "mina",
              Build(1.62, 0.15, 0.075, (0.14, 0.1), (0.115, 0.085), 0.079, 0.048, (0.098, 0.118, 0.105)),
              {"skin": (0.68, 0.5, 0.38), "hair": (0.1, 0.08, 0.08), "top": (0.98, 0.88, 0.62),
               "bottom": (0.95, 0.95, 0.95), "shoes": (0.55, 0.15, 0.15), "prop": (0.9, 0.88, 0.8),
               "hat": (0.75, 0.12, 0.2), "pencil": (0.95, 0.75, 0.2)},
              {"top": "paint", "bottom": "stripes", "accent": "sketch", "shoes": "leather"},
              {"hair": "long", "hat": "beret", "coat": (0.36, 1.5)},
              {"kind": "sketchbook", "other_arm": (-0.05, 0.95), "arm": (0.1, 0.9)}),
    Character("DovKestrel", "dov",
              Build(1.74, 0.2, 0.095, (0.19, 0.14), (0.175, 0.13), 0.102, 0.070, (0.108, 0.12, 0.112), belly=0.035),
              {"skin": (0.98, 0.84, 0.74), "hair": (0.85, 0.7, 0.4), "top": (0.5, 0.52, 0.55),
               "bottom": (0.22, 0.22, 0.26), "shoes": (0.2, 0.2, 0.22), "prop": (0.25, 0.3, 0.22),
               "strap": (0.15, 0.15, 0.15)},
              {"top": "hoodie", "bottom": "plain", "accent": "bag", "shoes": "sneaker", "glasses": True},
              {"hair": "buzz", "hat": "hood"},
              {"kind": "laptop_bag"}),
    Character("PellArden", "pell",
              Build(1.84, 0.205, 0.09, (0.18, 0.12), (0.15, 0.105), 0.094, 0.065, (0.102, 0.12, 0.108)),
              {"skin": (0.8, 0.6, 0.46), "hair": (0.55, 0.55, 0.52), "top": (0.3, 0.42, 0.24),
               "bottom": (0.5, 0.36, 0.22), "shoes": (0.16, 0.25, 0.15), "prop": (0.9, 0.9, 0.9),
               "hat": (0.42, 0.3, 0.2), "bird": (0.95, 0.95, 0.95), "beak": (0.95, 0.6, 0.1),
               "crook": (0.45, 0.3, 0.18)},
              {"top": "quilt", "bottom": "cord", "accent": "feather", "shoes": "rubber", "beard": True},
              {"hair": "short", "hat": "brim", "boots": True},
              {"kind": "bird", "arm": (0.45, 0.6)}),
]


def _noise(image, box, rng, amount):
    """Speckles a patch: cloth, skin and leather are never one flat colour."""
    x0, y0, x1, y1 = box
    pixels = image.load()
    for y in range(y0, y1):
        for x in range(x0, x1):
            d = int((rng.random() - 0.5) * amount)
            r, g, b = pixels[x, y][:3]
            pixels[x, y] = (max(0, min(255, r + d)), max(0, min(255, g + d)), max(0, min(255, b + d)), 255)


def texture(c, seed):
    """The character's texture, mostly near-white detail that the materials' colours tint, with
    the face, the print of the clothes and the prop's own colours drawn in."""
    rng = random.Random(seed)
    image = Image.new("RGBA", (ATLAS, ATLAS), (235, 235, 235, 255))
    d = ImageDraw.Draw(image)
    half, quarter = ATLAS // 2, ATLAS // 4
    p = c.patterns

    # Face: the head's front is the middle of the patch, its equator the middle row.
    fx, fy, fw = 0, 0, half
    d.rectangle((fx, fy, fx + fw, fy + fw), fill=(245, 240, 238, 255))
    cxm = fx + fw // 2
    for dx in (-9, 9):
        ex, ey = cxm + dx, fy + 60
        d.ellipse((ex - 4, ey - 3, ex + 4, ey + 3), fill=(255, 255, 255, 255))
        d.ellipse((ex - 2, ey - 3, ex + 2, ey + 3), fill=(40, 30, 25, 255))
        d.line((ex - 5, ey - 7, ex + 4, ey - 8 if dx < 0 else ey - 7), fill=(70, 50, 40, 255), width=2)
        if p.get("glasses"):
            d.ellipse((ex - 7, ey - 6, ex + 7, ey + 6), outline=(20, 20, 25, 255), width=2)
    if p.get("glasses"):
        d.line((cxm - 2, fy + 59, cxm + 2, fy + 59), fill=(20, 20, 25, 255), width=2)
    d.line((cxm, fy + 63, cxm - 1, fy + 71), fill=(200, 170, 160, 255), width=2)       # nose
    d.line((cxm - 5, fy + 78, cxm + 5, fy + 78), fill=(170, 80, 80, 255), width=2)     # mouth
    for dx in (-13, 13):
        d.ellipse((cxm + dx - 4, fy + 70, cxm + dx + 4, fy + 76), fill=(245, 215, 210, 255))
    if p.get("beard"):
        d.rectangle((cxm - 22, fy + 74, cxm + 22, fy + 100), fill=(165, 160, 150, 255))
        d.line((cxm - 5, fy + 80, cxm + 5, fy + 80), fill=(150, 70, 70, 255), width=2)
    image.paste(image.crop((0, 0, half, half)).filter(ImageFilter.SMOOTH), (0, 0))

    # Top: the print or cut of the upper garment; its front is the middle column.
    tx = half
    box = (tx, 0, tx + half, half)
    kind = p["top"]
    if kind == "zip":
        d.line((tx + quarter, 0, tx + quarter, half), fill=(150, 150, 160, 255), width=2)
        for y in (70, 72):
            d.line((tx + 20, y, tx + 44, y), fill=(180, 180, 190, 255))
            d.line((tx + 84, y, tx + 108, y), fill=(180, 180, 190, 255))
    elif kind == "buttons":
        for y in range(30, 120, 22):
            for dx in (-7, 7):
                d.ellipse((tx + quarter + dx - 1, y - 1, tx + quarter + dx + 2, y + 2), fill=(60, 45, 35, 255))
        d.line((tx + quarter + 12, 0, tx + quarter + 12, half), fill=(190, 190, 190, 255))
        d.rectangle((tx, 48, tx + half, 54), fill=(205, 205, 205, 255))   # belt
    elif kind == "paint":
        colours = [(210, 40, 40), (40, 90, 200), (40, 160, 70), (240, 170, 20), (120, 50, 160)]
        for _ in range(40):
            x, y, r = tx + rng.randrange(half), rng.randrange(half), rng.randrange(2, 6)
            d.ellipse((x - r, y - r, x + r, y + r), fill=colours[rng.randrange(len(colours))] + (255,))
    elif kind == "hoodie":
        d.rectangle((tx + quarter - 20, 70, tx + quarter + 20, 96), outline=(170, 170, 175, 255), width=2)
        for dx in (-6, 6):
            d.line((tx + quarter + dx, 10, tx + quarter + dx, 34), fill=(250, 250, 250, 255), width=2)
        d.text((tx + quarter - 10, 42), "</>", fill=(60, 200, 90, 255))
    elif kind == "quilt":
        for k in range(-half, half, 12):
            d.line((tx + k, 0, tx + k + half, half), fill=(200, 200, 195, 255))
            d.line((tx + k + half, 0, tx + k, half), fill=(200, 200, 195, 255))
        d.rectangle((tx, 0, tx + half, 10), fill=(120, 90, 60, 255))            # cord collar
    _noise(image, box, rng, 18)

    # Bottom.
    bx, by = 0, half
    box = (bx, by, bx + half, by + half)
    kind = p["bottom"]
    if kind == "denim":
        for k in range(-half, half, 4):
            d.line((bx + k, by, bx + k + half, by + half), fill=(215, 215, 225, 255))
        d.line((bx + 8, by, bx + 8, by + half), fill=(240, 200, 120, 255))
    elif kind == "stripes":
        for y in range(by, by + half, 12):
            d.rectangle((bx, y, bx + half, y + 5), fill=(40, 40, 45, 255))
    elif kind == "cord":
        for x in range(bx, bx + half, 4):
            d.line((x, by, x, by + half), fill=(200, 200, 200, 255))
    _noise(image, box, rng, 14)

    # Plain: skin of hands and neck, metal, paper; nearly white so the material's colour shows.
    _noise(image, (half, half, half + quarter, half + quarter), rng, 10)

    # Accent: the prop's face.
    ax, ay = half + quarter, half
    kind = p["accent"]
    if kind == "screen":
        for y in range(quarter):
            d.line((ax, ay + y, ax + quarter, ay + y), fill=(80 + y * 3, 140 + y * 2, 230, 255))
        for row in range(4):
            for col in range(3):
                x, y = ax + 10 + col * 17, ay + 10 + row * 12
                colour = [(250, 90, 90), (90, 220, 120), (250, 210, 80)][(row + col) % 3]
                d.rectangle((x, y, x + 9, y + 7), fill=colour + (255,))
    elif kind == "flame":
        for y in range(quarter):
            t = y / quarter
            d.line((ax, ay + y, ax + quarter, ay + y), fill=(255, int(255 - 120 * t), int(200 - 190 * t), 255))
    elif kind == "sketch":
        d.rectangle((ax, ay, ax + quarter, ay + quarter), fill=(130, 70, 40, 255))
        d.rectangle((ax + 6, ay + 6, ax + quarter - 6, ay + quarter - 6), fill=(250, 248, 240, 255))
        d.ellipse((ax + 16, ay + 16, ax + 40, ay + 40), outline=(60, 60, 60, 255), width=2)
        d.line((ax + 10, ay + 50, ax + 54, ay + 44), fill=(60, 60, 60, 255), width=2)
    elif kind == "bag":
        d.rectangle((ax, ay, ax + quarter, ay + quarter), fill=(230, 230, 230, 255))
        d.rectangle((ax + 4, ay + 4, ax + quarter - 4, ay + 30), fill=(200, 200, 200, 255))
        d.ellipse((ax + 26, ay + 24, ax + 38, ay + 36), fill=(240, 240, 240, 255))
    elif kind == "feather":
        for y in range(ay, ay + quarter, 6):
            d.line((ax, y, ax + quarter, y + 3), fill=(190, 190, 200, 255))
    _noise(image, (ax, ay, ax + quarter, ay + quarter), rng, 10)

    # Hair: strands.
    hx, hy = half, half + quarter
    for _ in range(300):
        x, y = hx + rng.randrange(quarter), hy + rng.randrange(quarter)
        shade = rng.randrange(170, 255)
        d.line((x, y, x, min(hy + quarter - 1, y + rng.randrange(3, 10))), fill=(shade, shade, shade, 255))

    # Shoes, boots, hat brim, crook: leather or rubber.
    sx, sy = half + quarter, half + quarter
    kind = p["shoes"]
    if kind == "sneaker":
        d.rectangle((sx, sy + quarter - 14, sx + quarter, sy + quarter), fill=(120, 120, 125, 255))
        d.line((sx, sy + 40, sx + quarter, sy + 40), fill=(200, 60, 60, 255), width=3)
    _noise(image, (sx, sy, sx + quarter, sy + quarter), rng, 24 if kind != "rubber" else 8)
    return image


def materials(c, texture_name):
    names = ["skin", "hair", "top", "bottom", "shoes"] + [name for name in c.colours
                                                        if name not in ("skin", "hair", "top", "bottom", "shoes")]
    return [(name, c.colours[name], texture_name) for name in names]


def on_show(mesh):
    """The character select screen draws the idle model scaled ten times, moved by (4.45, -3.8,
    -2) from a camera at z = 1.5: at a tenth of the size and shifted back, the figure stands on
    the right of the screen in its pool of light."""
    mesh.transform(lambda p: (p[0] * 0.1 - 0.355, p[1] * 0.1 + 0.26, p[2] * 0.1), lambda n: n)
    return mesh


def animations(c):
    """(action, [Mesh per keyframe]) for the idle cycle (as the selection screen shows it) and
    the walk cycle."""
    idle = [on_show(figure(c, idle_pose(f / IDLE_FRAMES), False)) for f in range(IDLE_FRAMES)]
    walk = [figure(c, walk_pose(f / WALK_FRAMES), True) for f in range(WALK_FRAMES)]
    return [("idle", idle), ("walk", walk)]
