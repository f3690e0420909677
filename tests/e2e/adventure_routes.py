"""Two walkthroughs of the shipped adventure as data, and the driver that plays them with real keys.

The game writes its state every frame to $BW_GAME_STATE: the saved-game fields plus "dialogue"
(the open box's lines, or None), "inventory_open", "credits" and "target" (what Return acts on).
A route's "select" is the keys pressed from New Game on; its steps are:

    ("tap", key)             press and release (xdotool names: "Return", "Tab", "Control_R")
    ("goto", x, z)           walk the controlled character there, steered by the reported state
    ("face", heading)        turn it to that heading (degrees; 0 is +z, 90 is +x)
    ("checkpoint", name, expected[, golden])

Steering by the state rather than by hold times keeps a slow frame or key event from moving
anything off the route. A checkpoint waits until the state shows `expected` ("inventory" exactly,
"flags" all present, "dialogue" True or None), then compares the screen with the golden, if named.
At "save point" the save menu has just opened: the test saves, quits, restarts and loads there.
One follows each change of area, as no state is written while an area loads; the other steps are
left to the later checks they lead to.
"""
import math
import time

SPLASHES = ["Return", "Return"]


def _to_the_lamp(who, controlled):
    """From the cat's key on, the same for every pair: out of the warehouse, through the
    lighthouse's gates, the partner switched in to light the lamp, and the credits."""
    return [
        ("goto", 5.5, -1.8), ("goto", 0.0, -5.8), ("face", 180.0), ("tap", "Return"), ("tap", "Return"),
        ("checkpoint", "back on the quay", {"area": "quay"}),
        ("goto", 9.0, -4.0), ("face", 90.0), ("tap", "Return"), ("tap", "Return"),
        ("checkpoint", "entered lighthouse", {"area": "lighthouse"}, "area-lighthouse"),
        ("goto", 2.6, -5.8), ("face", 73.0), ("tap", "Return"), ("tap", "Return"),
        ("goto", 4.0, -4.6), ("goto", 4.0, 5.0),
        ("tap", "Tab"),
        # How far behind the partner trails depends on the frame rate: walk up to the lamp.
        ("goto", 4.0, 4.7),
        ("checkpoint", who + " at the lamp", {"controlled": controlled, "target": "lamp"}),
        ("tap", "Return"),
        ("checkpoint", "lamp lit", {"flags": ["lamp lit", "finished"], "dialogue": True}, "ending"),
        ("tap", "Return"),
        ("checkpoint", "credits", {"credits": True}, "credits"),
    ]


ROUTES = {
    # The phone and the lighter: the harbour office's number from the notice board opens the
    # warehouse, the phone's torch lights it, a fish from the bucket tempts the cat, and Orla's
    # lighter lights the lamp.
    "joss-orla": {
        "pair": ("JossHartle", "OrlaVance"),
        "select": ["Return", "Return", "Return", "Return"],
        "steps": [
            ("checkpoint", "on the quay", {"area": "quay", "controlled": 0, "dialogue": None}, "area-quay"),
            ("tap", "Escape"), ("tap", "Escape"),           # the in-game menu, opened and closed
            ("goto", 0.0, -0.8), ("face", 298.0), ("tap", "Return"),
            ("checkpoint", "keeper", {"dialogue": True, "inventory": ["matches"]}, "dialogue"),
            ("tap", "Return"),
            ("goto", 0.0, 8.6), ("face", 270.0), ("tap", "Return"), ("tap", "Return"),    # the bucket
            ("face", 90.0), ("tap", "Return"), ("tap", "Return"),                         # the board
            ("checkpoint", "save point", {"flags": ["read board"], "dialogue": None}, "save-menu"),
            ("tap", "Control_R"),
            ("checkpoint", "inventory open", {"inventory_open": True}, "inventory"),
            ("tap", "Control_R"),
            ("face", 0.0), ("tap", "Return"), ("tap", "Return"), ("tap", "Return"), ("tap", "Return"),
            ("checkpoint", "entered warehouse", {"area": "warehouse", "dialogue": None}, "area-warehouse"),
            ("tap", "Return"), ("tap", "Return"),                                         # the lantern
            ("goto", -3.0, -4.3), ("face", 290.0), ("tap", "Return"), ("tap", "Return"),  # the oil
            ("goto", 5.5, -1.8), ("goto", 5.5, 3.5), ("tap", "Return"), ("tap", "Return"),
            ("checkpoint", "key from the cat", {"flags": ["cat moved"],
                                                "inventory": ["matches", "oil", "lighthouse key"]}),
            *_to_the_lamp("Orla", 1),
        ],
    },
    # The computer person and the animal person, without Wren's matches or the fish: Dov opens
    # the keypad and mends the fuses, Pell talks the cat round, Dov mends the lamp's igniter.
    "dov-pell": {
        "pair": ("DovKestrel", "PellArden"),
        "select": ["Return", "Right", "Right", "Right", "Return", "Return", "Return"],
        "steps": [
            ("checkpoint", "on the quay", {"area": "quay", "controlled": 0}, "area-quay"),
            ("goto", 0.0, 8.6), ("face", 0.0),
            ("tap", "Return"), ("tap", "Return"), ("tap", "Return"), ("tap", "Return"),
            ("checkpoint", "entered warehouse", {"area": "warehouse"}, "area-warehouse"),
            ("goto", 1.2, -5.4), ("face", 120.0), ("tap", "Return"), ("tap", "Return"),   # the fuse box
            ("goto", -3.0, -4.3), ("face", 290.0), ("tap", "Return"), ("tap", "Return"),
            ("goto", 5.5, -1.8),
            ("tap", "Tab"),
            ("goto", 5.5, 3.5), ("tap", "Return"), ("tap", "Return"),
            ("checkpoint", "key from the cat", {"flags": ["cat moved"], "inventory": ["oil", "lighthouse key"]}),
            *_to_the_lamp("Dov", 0),
        ],
    },
}

TURN_SPEED = 120.0   # degrees a second, as the game turns
WALK_SPEED = 3.0     # units a second


def mismatches(state, expected):
    """The expected values that the state does not show, as (key, value in the state)."""
    wrong = []
    for key, value in expected.items():
        actual = state.get(key)
        if key == "flags":
            ok = set(value) <= set(actual)
        elif key == "dialogue":
            ok = (actual is not None) == (value is True)
        else:
            ok = actual == value
        if not ok:
            wrong.append((key, actual))
    return wrong


def leader(state):
    c = state["characters"][state["controlled"]]
    return c["x"], c["z"], c["heading"]


def _turn_towards(heading, hold, state, tolerance):
    _, _, now = leader(state())
    diff = (heading - now + 180.0) % 360.0 - 180.0
    if abs(diff) <= tolerance:
        return True
    # Short holds, shorter than the turn, so that a late key release never overshoots far.
    hold("Left" if diff > 0 else "Right", min(abs(diff) / TURN_SPEED * 0.6, 0.5))
    return False


def drive(step, hold, state, timeout=60.0):
    """Plays one movement step. hold(key, seconds) holds a key, state()
    reads the state file. Returns when the character is there; raises AssertionError on timeout."""
    deadline = time.monotonic() + timeout
    kind = step[0]
    while time.monotonic() < deadline:
        if kind == "face":
            if _turn_towards(step[1], hold, state, 6.0):
                return
        elif kind == "goto":
            x, z, _ = leader(state())
            dx, dz = step[1] - x, step[2] - z
            distance = math.hypot(dx, dz)
            if distance <= 0.45:
                return
            if _turn_towards(math.degrees(math.atan2(dx, dz)) % 360.0, hold, state, 10.0):
                hold("Up", min(distance / WALK_SPEED * 0.6, 1.2))
        else:
            raise ValueError("not a movement step: %r" % (step,))
    raise AssertionError("step %r not done within %s s: state %r" % (step, timeout, state()))
