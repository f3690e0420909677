"""Sound effects and music, synthesised from fixed seeds: 22050 Hz mono 16-bit WAV, which the
engine's mixer plays everywhere and which loops without the gap a compressed stream's padding
leaves. Each piece of music is a whole number of bars, and notes that ring past its end are
wrapped round to its start, so the loop is seamless."""
import io
import math
import random
import struct
import wave

RATE = 22050
TAU = 2 * math.pi


def wav(samples, rate=RATE):
    """Mono 16-bit PCM from floats in -1..1."""
    out = io.BytesIO()
    with wave.open(out, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(struct.pack("<%dh" % len(samples),
                                  *(int(max(-1.0, min(1.0, s)) * 32000) for s in samples)))
    return out.getvalue()


def hz(note):
    return 440.0 * 2 ** ((note - 69) / 12)


def lowpass(samples, amount):
    """A one-pole filter; amount near 0 keeps only the lows."""
    out, y = [], 0.0
    for s in samples:
        y += amount * (s - y)
        out.append(y)
    return out


def normalise(samples, peak=0.85):
    top = max(1e-9, max(abs(s) for s in samples))
    return [s * peak / top for s in samples]


def bell():
    """The harbour bell: inharmonic partials, the high ones dying first."""
    n = int(RATE * 2.4)
    partials = ((220, 0.5, 1.2), (440, 1.0, 1.8), (528, 0.45, 2.4), (660, 0.35, 2.8), (1100, 0.3, 4.0),
                (1485, 0.15, 5.5), (2200, 0.08, 7.0))
    out = [0.0] * n
    for f, a, decay in partials:
        w = TAU * f / RATE
        for i in range(n):
            out[i] += a * math.sin(w * i) * math.exp(-decay * i / RATE)
    return normalise([s * min(1.0, i / 40.0) for i, s in enumerate(out)], 0.8)


def step(seed=3, hardness=0.35, length=0.14):
    """A footstep on stone: a soft thump under a short scuff of grit."""
    rng = random.Random(seed)
    n = int(RATE * length)
    grit = lowpass([rng.uniform(-1, 1) for _ in range(n)], hardness)
    return normalise([grit[i] * math.exp(-38.0 * i / RATE) + 0.6 * math.sin(TAU * 90 * i / RATE) * math.exp(-45.0 * i / RATE)
                      for i in range(n)], 0.7)


def gulls():
    """Three gulls' cries: falling, wavering whistles with a rasp."""
    rng = random.Random(11)
    n = int(RATE * 2.6)
    out = [0.0] * n
    for start, pitch, count in ((0.1, 1700, 3), (0.9, 1500, 2), (1.6, 1850, 4)):
        t0 = int(start * RATE)
        for k in range(count):
            length = int(RATE * rng.uniform(0.16, 0.26))
            begin = t0 + k * int(RATE * 0.22)
            phase = 0.0
            for i in range(length):
                t = i / length
                f = pitch * (1.25 - 0.45 * t) * (1 + 0.03 * math.sin(TAU * 28 * i / RATE))
                phase += TAU * f / RATE
                env = math.sin(math.pi * t) ** 0.7
                s = math.sin(phase) + 0.35 * math.sin(2 * phase) + 0.15 * rng.uniform(-1, 1)
                if begin + i < n:
                    out[begin + i] += 0.4 * env * s
    return normalise(lowpass(out, 0.6), 0.6)


def water():
    """Water lapping at the quay, made to loop: filtered noise swelling in slow waves."""
    rng = random.Random(5)
    n = int(RATE * 4.0)
    noise = lowpass(lowpass([rng.uniform(-1, 1) for _ in range(n)], 0.12), 0.3)
    out = []
    for i in range(n):
        t = i / n
        swell = 0.5 + 0.5 * math.sin(TAU * 2 * t) * 0.7 + 0.3 * math.sin(TAU * 3 * t + 1.0)
        out.append(noise[i] * max(0.05, swell))
    # The end fades into the start so the loop has no click.
    fade = int(RATE * 0.25)
    for i in range(fade):
        k = i / fade
        out[i] = out[i] * k + out[n - fade + i] * (1 - k)
    return normalise(out[:n - fade], 0.6)


def door():
    """A heavy door: a creak of the hinge, then the thud as it shuts."""
    rng = random.Random(9)
    creak_n, thud_n = int(RATE * 0.7), int(RATE * 0.5)
    out, phase = [], 0.0
    for i in range(creak_n):
        t = i / creak_n
        f = 180 + 140 * t + 40 * math.sin(TAU * 7 * t)
        phase += TAU * f / RATE
        pulse = 1.0 if (phase % TAU) < 0.6 else 0.0        # the stick-slip of a dry hinge
        out.append(0.3 * pulse * math.sin(math.pi * t) + 0.05 * rng.uniform(-1, 1) * math.sin(math.pi * t))
    out = lowpass(out, 0.35)
    thud = lowpass([rng.uniform(-1, 1) for _ in range(thud_n)], 0.08)
    out += [0.9 * thud[i] * math.exp(-9.0 * i / RATE) + 0.5 * math.sin(TAU * 60 * i / RATE) * math.exp(-12.0 * i / RATE)
            for i in range(thud_n)]
    return normalise(out, 0.8)


def pickup():
    """A rising three-note chime for a thing picked up."""
    n = int(RATE * 0.9)
    out = [0.0] * n
    for k, note in enumerate((76, 81, 88)):
        start, w = int(k * 0.08 * RATE), TAU * hz(note) / RATE
        for i in range(n - start):
            out[start + i] += math.exp(-6.0 * i / RATE) * (math.sin(w * i) + 0.3 * math.sin(3 * w * i))
    return normalise(out, 0.6)


def foghorn():
    """The lighthouse's horn: a low reedy tone that swells and falls away."""
    n = int(RATE * 2.5)
    out = []
    for i in range(n):
        t = i / n
        env = min(1.0, t * 8) * min(1.0, (1 - t) * 3)
        f = 98 * (1 - 0.04 * t)
        s = sum(math.sin(TAU * f * k * i / RATE) / k for k in range(1, 7))
        out.append(env * s)
    return normalise(lowpass(out, 0.25), 0.8)


def _pluck(note, length, bright=0.3, decay=3.0):
    w = TAU * hz(note) / RATE
    return [math.exp(-decay * i / RATE) * (math.sin(w * i) + bright * math.sin(2 * w * i) + bright * 0.4 * math.sin(3 * w * i))
            * min(1.0, i / 60.0) for i in range(int(length * RATE))]


def _pad(note, length, wobble=0.0):
    w = TAU * hz(note) / RATE
    n = int(length * RATE)
    attack = 0.25 * RATE
    return [min(1.0, i / attack) * min(1.0, (n - i) / attack)
            * (math.sin(w * i + wobble * math.sin(TAU * 0.5 * i / RATE)) + 0.25 * math.sin(2.01 * w * i)) for i in range(n)]


def _mix(out, sound, start, gain):
    total = len(out)
    start %= total
    while sound:
        end = min(total, start + len(sound))
        out[start:end] = [a + gain * b for a, b in zip(out[start:end], sound)]
        sound = sound[end - start:]
        start = 0


def piece(bpm, beats, melody, chords, lead, pad_gain=0.12, lead_gain=0.3, bass=True, seed=0):
    """`melody`: (beat, note, beats held); `chords`: (beat, [notes], beats held). Everything
    that rings past the end continues from the start."""
    beat = 60.0 / bpm
    total = int(round(beats * beat * RATE))
    out = [0.0] * total
    cache = {}

    def sound(kind, note, held):
        key = (kind, note, held)
        if key not in cache:
            cache[key] = lead(note, held * beat) if kind == "lead" else _pad(note, held * beat, 0.2)
        return cache[key]

    for at, note, held in melody:
        _mix(out, sound("lead", note, held), int(at * beat * RATE), lead_gain)
    for at, notes, held in chords:
        for note in notes:
            _mix(out, sound("pad", note, held), int(at * beat * RATE), pad_gain)
        if bass:
            _mix(out, _pluck(notes[0] - 12, held * beat, 0.1, 1.5), int(at * beat * RATE), 0.25)
    return normalise(out, 0.7)


def _tune(pattern, start=0.0):
    """(note, beats) pairs one after another, 0 a rest."""
    at, notes = start, []
    for note, held in pattern:
        if note:
            notes.append((at, note, held))
        at += held
    return notes


def menu_music():
    """Slow and wide, in D dorian: the title's tune over a rocking pad."""
    melody = _tune([(62, 2), (65, 1), (69, 3), (67, 1), (65, 1), (64, 2), (62, 2), (0, 2), (60, 1), (62, 1),
                    (65, 2), (64, 1), (62, 1), (57, 4), (0, 2), (62, 2), (65, 1), (69, 3), (72, 2), (71, 2), (69, 4),
                    (67, 2), (65, 1), (64, 1), (62, 6)])
    chords = [(b * 4, c, 4) for b, c in enumerate([[50, 57, 62], [48, 55, 64], [46, 53, 62], [45, 52, 61]] * 3)]
    return piece(72, 48, melody, chords, lambda n, l: _pluck(n, l + 1.0, 0.25, 1.8))


def quay_music():
    """Light and lilting in A minor, three beats to the bar: gulls and rope and salt."""
    bars = [[57, 60, 64], [55, 59, 62], [53, 57, 60], [52, 56, 59]] * 2
    chords = [(b * 3, c, 3) for b, c in enumerate(bars)]
    melody = _tune([(69, 1), (72, 1), (76, 1), (74, 2), (71, 1), (72, 1), (69, 1), (65, 1), (64, 3),
                    (69, 1), (72, 1), (76, 1), (79, 2), (76, 1), (74, 1), (72, 1), (71, 1), (69, 3)])
    return piece(100, 24, melody, chords, lambda n, l: _pluck(n, l + 0.6, 0.45, 3.5))


def warehouse_music():
    """Low, slow and wary in E phrygian: a pulse in the dark and a few notes high above it."""
    rng = random.Random(21)
    chords = [(b * 4, c, 4) for b, c in enumerate([[40, 47], [41, 48], [40, 47], [38, 45]] * 2)]
    pulse = [(b, 28 + (12 if b % 8 == 6 else 0), 0.5) for b in range(32)]
    melody = [(b * 2 + 0.5, rng.choice([64, 65, 67, 71, 72]), 1.5) for b in range(16) if rng.random() < 0.5]
    out = piece(84, 32, melody + pulse, chords, lambda n, l: _pluck(n, l + 0.5, 0.15, 4.0), pad_gain=0.16,
                lead_gain=0.25, bass=False)
    return out


def lighthouse_music():
    """Bright and hopeful, climbing in G major, for the tower at the end of the walk."""
    chords = [(b * 4, c, 4) for b, c in enumerate([[55, 59, 62], [52, 55, 59], [48, 52, 55], [50, 54, 57]] * 2)]
    melody = _tune([(67, 1), (71, 1), (74, 2), (72, 1), (71, 1), (69, 2), (64, 1), (67, 1), (71, 2), (69, 2), (67, 2),
                    (72, 1), (74, 1), (76, 2), (74, 1), (72, 1), (71, 2), (69, 1), (71, 1), (74, 2), (79, 4)])
    return piece(92, 32, melody, chords, lambda n, l: _pluck(n, l + 0.8, 0.35, 2.2))


def harbour_music():
    """The game's first tune, eight bars of a slow modal air over a drone; the quay plays it."""
    notes = [57, 60, 64, 62, 60, 57, 55, 57, 60, 62, 64, 67, 64, 62, 60, 57]
    beat = 0.5
    total = int(RATE * beat * len(notes))
    out = [0.0] * total
    for k, note in enumerate(notes):
        freq = hz(note)
        start = int(k * beat * RATE)
        for i in range(int(beat * RATE * 1.5)):
            env = math.exp(-2.5 * i / RATE)
            out[(start + i) % total] += 0.25 * env * (math.sin(TAU * freq * i / RATE) + 0.3 * math.sin(2 * TAU * freq * i / RATE))
    drone = hz(45)
    return [s + 0.12 * math.sin(TAU * drone * i / RATE) for i, s in enumerate(out)]


SOUNDS = [   # path in the game folder, maker
    ("Sounds/bell.wav", bell), ("Sounds/step.wav", step),
    ("Sounds/step_wood.wav", lambda: step(seed=4, hardness=0.12, length=0.18)),
    ("Sounds/gulls.wav", gulls), ("Sounds/water.wav", water), ("Sounds/door.wav", door),
    ("Sounds/pickup.wav", pickup), ("Sounds/foghorn.wav", foghorn),
    ("Music/menu.wav", menu_music), ("Music/quay.wav", quay_music), ("Music/warehouse.wav", warehouse_music),
    ("Music/lighthouse.wav", lighthouse_music), ("Music/harbour.wav", harbour_music),
]


def sounds():
    """(path in the game folder, bytes) of every sound and piece of music."""
    return [(path, wav(make())) for path, make in SOUNDS]
