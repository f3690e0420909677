"""The whole state of one adventure, as plain data: where the pair stands, what they carry and
which puzzles are done. Saving writes to_dict(); loading reads it back with from_dict(), which
checks everything, since a save file may be cut short, edited by hand or written by another
version. Nothing here touches the engine, so the logic runs (and is tested) without it."""
import math

VERSION = 1

AREAS = ["quay", "warehouse", "lighthouse"]
WORLD_SIZE = 100.0   # how far from an area's middle anything can stand, in any direction

# id: (first name, ability), as the character select screen describes them.
CHARACTERS = {
    "JossHartle": ("Joss", "phone"),
    "OrlaVance": ("Orla", "lighter"),
    "MinaSorrel": ("Mina", "artist"),
    "DovKestrel": ("Dov", "computers"),
    "PellArden": ("Pell", "animals"),
}

# item: what the inventory calls it.
ITEMS = {
    "matches": "a box of matches, from Wren",
    "fish": "a mackerel from the bait bucket",
    "spare key": "the warehouse's spare key, on a cork float",
    "oil": "a can of lamp oil",
    "lighthouse key": "the lighthouse key, a heavy iron one",
}

FLAGS = {"met keeper", "read board", "warehouse open", "warehouse lit", "cat moved", "tower open",
         "lamp fuelled", "lamp lit", "finished"}


class Character:
    def __init__(self, ident, x=0.0, y=0.0, z=0.0, heading=0.0):
        self.ident = ident
        self.x, self.y, self.z, self.heading = x, y, z, heading

    @property
    def name(self):
        return CHARACTERS[self.ident][0]

    @property
    def ability(self):
        return CHARACTERS[self.ident][1]

    def to_dict(self):
        return {"id": self.ident, "x": self.x, "y": self.y, "z": self.z, "heading": self.heading}


class Adventure:
    def __init__(self, first, second, area="quay"):
        for ident in (first, second):
            if ident not in CHARACTERS:
                raise ValueError("unknown character %r" % (ident,))
        if first == second:
            raise ValueError("the two characters must differ, both are %r" % (first,))
        if area not in AREAS:
            raise ValueError("unknown area %r" % (area,))
        self.area = area
        self.characters = [Character(first), Character(second)]
        self.controlled = 0
        self.inventory = []
        self.flags = set()
        self.seconds = 0.0

    @property
    def leader(self):
        return self.characters[self.controlled]

    @property
    def follower(self):
        return self.characters[1 - self.controlled]

    def switch(self):
        self.controlled = 1 - self.controlled

    def has(self, ability):
        return any(c.ability == ability for c in self.characters)

    def give(self, item):
        if item not in self.inventory:
            self.inventory.append(item)

    def take(self, item):
        if item in self.inventory:
            self.inventory.remove(item)

    def to_dict(self):
        return {"version": VERSION, "area": self.area,
                "characters": [c.to_dict() for c in self.characters],
                "controlled": self.controlled, "inventory": list(self.inventory),
                "flags": sorted(self.flags), "seconds": self.seconds}

    @classmethod
    def from_dict(cls, d):
        if not isinstance(d, dict):
            raise ValueError("a saved game must be a mapping, not %s" % type(d).__name__)
        if d.get("version") != VERSION:
            raise ValueError("saved game version %r is not %d" % (d.get("version"), VERSION))
        missing = [key for key in ("area", "characters", "controlled", "inventory", "flags", "seconds")
                   if key not in d]
        if missing:
            raise ValueError("saved game lacks %s" % ", ".join(missing))
        characters = d["characters"]
        if not isinstance(characters, list) or len(characters) != 2 or \
                not all(isinstance(c, dict) for c in characters):
            raise ValueError("saved game must hold two characters")
        try:
            adventure = cls(characters[0].get("id"), characters[1].get("id"), d["area"])
        except (TypeError, ValueError) as error:   # an unhashable id raises TypeError
            raise ValueError("saved game: %s" % error) from None
        for character, saved in zip(adventure.characters, characters):
            for key in ("x", "y", "z", "heading"):
                setattr(character, key, _number(saved.get(key), "character %s" % key))
                # Every area lies well inside this; farther out the collision refuses to work.
                if key != "heading" and abs(getattr(character, key)) > WORLD_SIZE:
                    raise ValueError("saved game: character %s %r is outside the world" % (key, saved[key]))
        if d["controlled"] not in (0, 1) or isinstance(d["controlled"], bool):
            raise ValueError("saved game: controlled must be 0 or 1, not %r" % (d["controlled"],))
        adventure.controlled = d["controlled"]
        adventure.inventory = _names(d["inventory"], ITEMS, "item")
        adventure.flags = set(_names(d["flags"], FLAGS, "flag"))
        adventure.seconds = _number(d["seconds"], "seconds")
        if adventure.seconds < 0:
            raise ValueError("saved game: seconds played is negative")
        return adventure


def _number(value, what):
    if isinstance(value, bool) or not isinstance(value, (int, float)) or not math.isfinite(value):
        raise ValueError("saved game: %s must be a finite number, not %r" % (what, value))
    return float(value)


def _names(values, known, what):
    if not isinstance(values, list):
        raise ValueError("saved game: the %ss must be a list" % what)
    for value in values:
        if not isinstance(value, str) or value not in known:
            raise ValueError("saved game: unknown %s %r" % (what, value))
    return list(dict.fromkeys(values))
