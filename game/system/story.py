"""The adventure's places, people and puzzles: what Return does at each thing, for whoever is in
control, and what follows. Plain Python over an Adventure, so every pair of characters can be
played through logically without the engine.

Every puzzle opens to more than one of the five abilities or to something anyone can carry, so
that each pair of characters can finish; when the one in control cannot help but the other can,
the text says so (Tab switches)."""
import math

from system.adventure import ITEMS

# Each area: its music, where the pair stands on arrival from each neighbour (x, z, heading; the
# follower is placed behind), and the interior the camera stays in (x0, z0, x1, z1).
AREAS = {
    "quay": {"title": "The quay", "music": "Music/quay.wav",
             "entrances": {"start": (0.0, -2.0, 0.0), "warehouse": (0.0, 8.6, 180.0),
                           "lighthouse": (8.8, -4.0, 270.0)},
             "inside": (-11.4, -11.4, 11.4, 11.4)},
    "warehouse": {"title": "The warehouse", "music": "Music/warehouse.wav",
                  "entrances": {"quay": (0.0, -5.4, 0.0)},
                  "inside": (-7.5, -7.5, 7.5, 7.5)},
    "lighthouse": {"title": "Lighthouse point", "music": "Music/lighthouse.wav",
                   "entrances": {"quay": (0.0, -6.6, 0.0)},
                   "inside": (-9.4, -9.4, 9.4, 9.4)},
}

INTERACT_RADIUS = 2.2


class Thing:
    def __init__(self, ident, area, name, x, z, y=0.0, radius=INTERACT_RADIUS, model=None):
        self.ident, self.area, self.name = ident, area, name
        self.x, self.y, self.z, self.radius = x, y, z, radius
        self.model = model          # the prop drawn there (Models/Props/<model>.obj), if any


THINGS = [
    Thing("keeper", "quay", "Wren, the keeper", -1.5, 0.0, model="keeper"),
    Thing("dog", "quay", "Biscuit the dog", -5.0, 4.0, model="dog"),
    Thing("board", "quay", "the notice board", 2.0, 8.9, radius=2.5, model="board"),
    Thing("bucket", "quay", "the bait bucket", -2.0, 8.0, radius=2.5, model="bucket"),
    Thing("warehouse door", "quay", "the warehouse door", 0.0, 10.8, radius=2.8),
    Thing("gate", "quay", "the path to the lighthouse", 10.8, -4.0, radius=2.8),
    Thing("bell", "quay", "the harbour bell", -7.0, -3.0, model="bell"),
    Thing("gulls", "quay", "the gulls", -9.0, -9.5, model="post"),
    Thing("flag", "quay", "the harbour flag", 8.0, -9.0),
    Thing("quay door", "warehouse", "the door to the quay", 0.0, -7.2, radius=2.8),
    Thing("lantern", "warehouse", "the lantern", -1.8, -5.8, model="lantern"),
    Thing("fuse box", "warehouse", "the fuse box", 2.6, -6.4, model="fusebox"),
    Thing("oil", "warehouse", "the can of lamp oil", -4.2, -3.8, radius=2.5, model="oilcan"),
    Thing("cat", "warehouse", "Pepper the cat", 5.5, 5.5, y=3.45, radius=2.6, model="cat"),
    Thing("terminal", "warehouse", "the shipping clerk's terminal", -6.0, -3.0, model="terminal"),
    Thing("path", "lighthouse", "the path back to the quay", 0.0, -8.8, radius=2.8),
    Thing("tower gate", "lighthouse", "the gate to the tower stairs", 4.0, -5.4, model="gate"),
    Thing("foghorn", "lighthouse", "the foghorn", -4.0, -1.0, model="horn"),
    Thing("lamp", "lighthouse", "the great lamp", 2.0, 4.8, y=2.4, radius=3.0),
]
BY_ID = {t.ident: t for t in THINGS}

ENDING = ["The wick catches and the great lens takes the flame: a beam sweeps out over the water.",
          "Far off, a ship's horn answers. The Marigold has seen the light and turns for home.",
          "Wren, from the quay: \"Well done, the pair of you. Brackwater owes you a supper.\""]


class Outcome:
    """What an action did: lines to show, and what the scene should do about it."""

    def __init__(self, lines, goto=None, sound=None, ending=False, save=False):
        self.lines = [lines] if isinstance(lines, str) else list(lines)
        self.goto, self.sound, self.ending, self.save = goto, sound, ending, save


def things_in(area):
    return [t for t in THINGS if t.area == area]


def nearest(adventure, x, z, heading):
    """The thing Return acts on from (x, z) facing `heading`: within reach, the one most nearly
    ahead and near wins; behind counts less but is still reachable, so that a slightly wrong
    approach never leaves the player stuck."""
    best, best_score = None, None
    for t in things_in(adventure.area):
        if not visible(adventure, t):
            continue
        dx, dz = t.x - x, t.z - z
        distance = math.hypot(dx, dz)
        if distance > t.radius:
            continue
        off = abs(bearing(heading, dx, dz)) if distance > 1e-6 else 0.0
        score = distance + 2.5 * off / 180.0
        if best_score is None or score < best_score:
            best, best_score = t, score
    return best


def bearing(heading, dx, dz):
    """The angle of a direction (dx, dz) relative to facing `heading`, -180 to 180, positive to
    the right. Forward is (sin heading, cos heading); right is (-cos heading, sin heading)."""
    h = math.radians(heading)
    forward = dx * math.sin(h) + dz * math.cos(h)
    right = -dx * math.cos(h) + dz * math.sin(h)
    return math.degrees(math.atan2(right, forward))


def visible(adventure, thing):
    """Things that are taken or gone are no longer there to act on."""
    gone = {"bucket": "fish" in adventure.inventory or "cat moved" in adventure.flags,
            "oil": "oil" in adventure.inventory or "lamp fuelled" in adventure.flags,
            "tower gate": "tower open" in adventure.flags}
    return not gone.get(thing.ident, False)


def action(adventure, thing):
    """(what Return will do, as the prompt says it, and a function doing it)."""
    return _HANDLERS[thing.ident](adventure, adventure.leader)


def perform(adventure, ident):
    """Does what Return does at the thing; the Outcome. For tests and the scene alike."""
    _, run = action(adventure, BY_ID[ident])
    return run()


def entrance(area, came_from):
    """Where the leader stands on arrival (x, z, heading)."""
    entrances = AREAS[area]["entrances"]
    return entrances.get(came_from) or next(iter(entrances.values()))


def surface(area, x, z, y):
    """What the feet are on, for the sound of the steps."""
    if area == "warehouse" or y > 0.2 or (area == "quay" and z < -7.5):
        return "wood"
    return "stone"


def hint(adventure):
    """One line naming the next thing to do, for the keeper and for a player who asks."""
    f, inv = adventure.flags, adventure.inventory
    if "warehouse open" not in f:
        return "The oil and the tower key are in the warehouse, and its door is locked."
    if "lighthouse key" not in inv and "tower open" not in f:
        return "Pepper the cat sleeps on the tower key, up in the warehouse rafters."
    if "oil" not in inv and "lamp fuelled" not in f:
        return "The lamp needs oil; there is a can in the warehouse."
    return "Take the path east to the point and climb to the lamp."


def _other(adventure, ability):
    """The partner's name when the partner has the ability and the leader has not."""
    partner = adventure.follower
    return partner.name if partner.ability == ability and adventure.leader.ability != ability else None


def _switch_hint(adventure, abilities, what):
    for ability in abilities:
        name = _other(adventure, ability)
        if name:
            return "%s could %s. (Tab switches to %s.)" % (name, what[ability], name)
    return None


def _keeper(a, who):
    def talk():
        if "met keeper" not in a.flags:
            a.flags.add("met keeper")
            a.give("matches")
            return Outcome(["Wren: \"The lamp's gone out, and I've turned my ankle on these blessed steps.\"",
                            "Wren: \"The Marigold is due in the fog tonight. Without the light she'll be on the rocks.\"",
                            "Wren: \"The oil and the tower key are in the warehouse. Take my matches.\"",
                            "You have a box of matches."], sound="Sounds/pickup.wav")
        return Outcome("Wren: \"%s\"" % hint(a))
    return "talk to Wren", talk


def _dog(a, who):
    def talk():
        if who.ability == "animals" and "warehouse open" not in a.flags and "spare key" not in a.inventory:
            a.give("spare key")
            return Outcome(["%s kneels and asks Biscuit about the warehouse." % who.name,
                            "Biscuit noses under the nets and trots back with a key on a cork float.",
                            "You have the warehouse's spare key."], sound="Sounds/pickup.wav")
        if who.ability == "animals":
            return Outcome("Biscuit thinks the cat in the warehouse is a menace and someone should do something.")
        return Outcome(["Biscuit wags and barks at the nets by the wall.",
                        _switch_hint(a, ["animals"], {"animals": "ask him what he means"}) or
                        "He seems to know something about those nets."])
    return "talk to Biscuit", talk


def _board(a, who):
    def read():
        a.flags.add("read board")
        return Outcome(["NOTICES. Harbour office, for keys and permits: call 0191 442 17.",
                        "Tides tonight: high water 21:40. The Marigold due 21:00.",
                        "(The board also keeps your saved games.)"], save=True)
    return "read the notice board and save", read


def _bucket(a, who):
    def take():
        a.give("fish")
        return Outcome("You take a mackerel from the bait bucket. It is very cold.", sound="Sounds/pickup.wav")
    return "take a fish from the bucket", take


def _warehouse_door(a, who):
    def enter():
        return Outcome("The door groans open onto the dark.", goto="warehouse", sound="Sounds/door.wav")

    def opened(lines):
        def run():
            a.flags.add("warehouse open")
            a.take("spare key")
            return Outcome(lines + ["The lock clicks. The warehouse is open."], sound="Sounds/door.wav")
        return run

    if "warehouse open" in a.flags:
        return "go into the warehouse", enter
    if who.ability == "computers":
        return "open the keypad", opened(["%s unscrews the keypad and shorts the release." % who.name])
    if who.ability == "artist":
        return "sketch the keypad", opened(["%s shades the keys lightly: 4, 7, 1 and 9 are worn smooth." % who.name,
                                            "The second try, 1-7-4-9, opens it."])
    if who.ability == "phone" and "read board" in a.flags:
        return "call the harbour office", opened(["%s calls 0191 442 17. A sleepy clerk gives the code." % who.name])
    if "spare key" in a.inventory:
        return "unlock it with the spare key", opened(["The spare key turns stiffly."])

    def look():
        lines = ["A steel door with a keypad. Locked."]
        if who.ability == "phone":
            lines.append("%s could call someone for the code, if only she knew the number." % who.name)
        more = _switch_hint(a, ["computers", "artist", "phone", "animals"],
                            {"computers": "open that keypad", "artist": "read the worn keys",
                             "phone": "call the harbour office", "animals": "ask Biscuit about a spare key"})
        return Outcome(lines + ([more] if more else []))
    return "try the warehouse door", look


def _gate(a, who):
    return "take the path to the lighthouse", lambda: Outcome(
        "You follow the path out along the breakwater.", goto="lighthouse")


def _bell(a, who):
    return "ring the bell", lambda: Outcome("The bell clangs out over the water.", sound="Sounds/bell.wav")


def _gulls(a, who):
    if who.ability == "animals":
        return "listen to the gulls", lambda: Outcome(
            "The gulls say a ship waits past the point with its lights on, afraid of the rocks.")
    return "look at the gulls", lambda: Outcome("Gulls squabble on the post, watching your pockets.")


def _flag(a, who):
    return "look at the flag", lambda: Outcome("The harbour flag snaps in the wind off the sea.")


def _quay_door(a, who):
    return "go out to the quay", lambda: Outcome("You step back out onto the quay.", goto="quay",
                                                 sound="Sounds/door.wav")


def _dark(a):
    return "warehouse lit" not in a.flags


def _lit(lines, sound=None, a=None):
    def run():
        a.flags.add("warehouse lit")
        return Outcome(lines + ["Now you can see the shelves, the rafters, and a cat."], sound=sound)
    return run


def _lantern(a, who):
    if not _dark(a):
        return "look at the lantern", lambda: Outcome("The lantern burns steadily.")
    if who.ability == "lighter":
        return "light the lantern", _lit(["%s flicks her lighter and the lantern catches." % who.name], a=a)
    if who.ability == "phone":
        return "light up the room", _lit(["%s switches on her phone's torch and hangs it from the lantern hook." %
                                          who.name], a=a)
    if "matches" in a.inventory:
        return "light the lantern with a match", _lit(["The third match lights the lantern."], a=a)
    return "feel for the lantern", lambda: Outcome(
        ["It is too dark to see. There is a lantern here, cold."] +
        [_switch_hint(a, ["lighter", "phone", "computers"],
                      {"lighter": "light it", "phone": "light the room", "computers": "look at the fuses"}) or
         "Wren had matches, didn't she?"])


def _fuse_box(a, who):
    if not _dark(a):
        return "look at the fuse box", lambda: Outcome("A fuse box, its door hanging open.")
    if who.ability == "computers":
        return "fix the fuse box", _lit(["%s swaps the blown fuse for a good one from further down." % who.name,
                                         "The strip lights stutter on."], a=a)
    return "feel for the fuse box", lambda: Outcome(
        ["A fuse box, by touch. One fuse is loose and blackened."] +
        ([_switch_hint(a, ["computers"], {"computers": "fix it"})] if _other(a, "computers") else []))


def _oil(a, who):
    if _dark(a):
        return "feel around", lambda: Outcome("It is too dark to find anything here.")

    def take():
        a.give("oil")
        return Outcome("You take the can of lamp oil.", sound="Sounds/pickup.wav")
    return "take the lamp oil", take


def _cat(a, who):
    if _dark(a):
        return "listen", lambda: Outcome("Something purrs up in the dark.")

    def moved(lines):
        def run():
            a.flags.add("cat moved")
            a.give("lighthouse key")
            a.take("fish")
            return Outcome(lines + ["You have the lighthouse key."], sound="Sounds/pickup.wav")
        return run

    if "cat moved" in a.flags:
        return "look at Pepper", lambda: Outcome("Pepper has found a new beam and ignores you.")
    if who.ability == "animals":
        return "talk to Pepper", moved(["%s asks Pepper nicely. Pepper considers it for a long time." % who.name,
                                        "Then she hooks the key ring with a paw and drops it at %s's feet." % who.name])
    if who.ability == "artist":
        return "draw a mouse for Pepper", moved(["%s draws a very convincing mouse on a scrap of sailcloth." % who.name,
                                                 "Pepper pounces. The key ring clatters down from the beam."])
    if "fish" in a.inventory:
        return "offer Pepper the fish", moved(["Pepper smells the mackerel and is down off the beam in a second.",
                                               "The key ring falls after her."])
    return "look at Pepper", lambda: Outcome(
        ["Pepper the cat is curled up on a beam, around a ring of keys. She ignores you."] +
        [_switch_hint(a, ["animals", "artist"], {"animals": "talk her round", "artist": "tempt her down"}) or
         "Perhaps something from the bait bucket would tempt her."])


def _terminal(a, who):
    if _dark(a):
        return "feel around", lambda: Outcome("Something hums in the dark.")
    if who.ability == "computers":
        return "read the shipping log", lambda: Outcome(
            "%s wakes the terminal: the Marigold, due 21:00, will hold off the point until she sees the light." %
            who.name)
    return "look at the terminal", lambda: Outcome("An old terminal, humming. The screen wants a password.")


def _path(a, who):
    return "walk back to the quay", lambda: Outcome("You walk back along the breakwater.", goto="quay")


def _tower_gate(a, who):
    if "lighthouse key" in a.inventory:
        def unlock():
            a.flags.add("tower open")
            a.take("lighthouse key")
            return Outcome("The iron key turns. The gate to the tower stairs swings open.", sound="Sounds/door.wav")
        return "unlock the gate", unlock
    return "try the gate", lambda: Outcome("An iron gate across the tower stairs, locked. The key is with Wren's things.")


def _foghorn(a, who):
    return "sound the foghorn", lambda: Outcome("The foghorn booms out into the murk.", sound="Sounds/foghorn.wav")


def _lamp(a, who):
    f = a.flags
    if "lamp lit" in f:
        return "look at the lamp", lambda: Outcome("The lamp turns, steady and bright.")

    def light(lines):
        def run():
            if "oil" in a.inventory:
                a.take("oil")
                f.add("lamp fuelled")
            f.add("lamp lit")
            f.add("finished")
            return Outcome(lines + ENDING, ending=True, sound="Sounds/foghorn.wav")
        return run

    fuelled = "lamp fuelled" in f or "oil" in a.inventory
    if not fuelled:
        return "look at the lamp", lambda: Outcome("The lamp's reservoir is bone dry. It needs oil first.")
    pour = [] if "lamp fuelled" in f else ["You pour the oil into the reservoir."]
    if who.ability == "lighter":
        return "light the lamp", light(pour + ["%s holds her lighter to the wick." % who.name])
    if who.ability == "computers":
        return "mend the igniter", light(pour + ["%s rewires the electric igniter and throws the switch." % who.name])
    if "matches" in a.inventory:
        return "light the lamp with a match", light(pour + ["The wick takes the match's flame."])

    def look():
        if "oil" in a.inventory:
            a.take("oil")
            f.add("lamp fuelled")
        return Outcome(pour + ["The lamp is ready, but nothing here will light it."] +
                       [_switch_hint(a, ["lighter", "computers"],
                                     {"lighter": "light the wick", "computers": "mend the igniter"}) or
                        "Wren's matches would do it."])
    return "fill the lamp", look


_HANDLERS = {
    "keeper": _keeper, "dog": _dog, "board": _board, "bucket": _bucket, "warehouse door": _warehouse_door,
    "gate": _gate, "bell": _bell, "gulls": _gulls, "flag": _flag, "quay door": _quay_door,
    "lantern": _lantern, "fuse box": _fuse_box, "oil": _oil, "cat": _cat, "terminal": _terminal,
    "path": _path, "tower gate": _tower_gate, "foghorn": _foghorn, "lamp": _lamp,
}


def inventory_lines(adventure):
    if not adventure.inventory:
        return ["You carry nothing yet."]
    return ["You carry:"] + ["- " + ITEMS[item] for item in adventure.inventory]


def credits_seconds(text, screen_height, pixels_per_second=20.0):
    """How long the engine's credits roll takes: lines advance by their size plus a sixth, and
    the roll ends when the last line is half a screen above the bottom."""
    y, size, last = 0, 12, 0
    for line in text.splitlines():
        if line.startswith("<"):
            if line.startswith("<s"):
                try:
                    size = int(line[2:].strip(" >"))
                except ValueError:
                    pass
            continue
        last = y
        y += size + -(-size // 6)
    return (last + screen_height // 2) / pixels_per_second + 1.0
