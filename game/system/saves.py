"""Saved games: one JSON file per slot in a "saves" folder beside the settings file, and the
slot's name in the settings ("save1" ... "save10"), which the engine's load screen shows.

Plain Python without the engine's modules, so that saving and loading can be tested alone.
"""
import json
import os

from system.config import write_durably

VERSION = 1
SLOTS = 10
EMPTY = "Empty"
DEFAULT_PAIR = ("JossHartle", "MinaSorrel")   # the engine's own default when none is chosen


class SaveError(Exception):
    """A save that cannot be written or read; the message is meant for the player."""


def slot_key(number):
    return "save%d" % number


def slot_number(slot):
    """The number 1-10 of a slot name "save1" ... "save10", as the load screen passes it."""
    if isinstance(slot, str) and slot.startswith("save") and slot[4:].isdigit():
        number = int(slot[4:])
        if 1 <= number <= SLOTS:
            return number
    raise SaveError("There is no save slot %r." % (slot,))


def directory(config):
    return os.path.join(os.path.dirname(os.path.abspath(config.path)), "saves")


def slot_path(folder, number):
    return os.path.join(folder, "slot%d.json" % number)


def describe(data, area_titles=None):
    """The slot's name for the load screen: area and time played, as "Warehouse - 7 min"."""
    area = str(data.get("area", "?"))
    title = (area_titles or {}).get(area) or area.replace("_", " ").title()
    seconds = data.get("seconds", 0)
    minutes = int(seconds // 60) if isinstance(seconds, (int, float)) and seconds > 0 else 0
    return "%s - %s min" % (title, minutes or "under 1")


def slot_names(config):
    """The ten names as the save menu shows them; a slot never saved into reads "Empty"."""
    names = []
    for number in range(1, SLOTS + 1):
        name = config.get(slot_key(number))
        names.append(name if isinstance(name, str) and name else EMPTY)
    return names


def name_empty_slots(config):
    """Names the slots never saved into "Empty" in config: the engine's load screen shows the
    word "script" for a slot without a name, which tells a player nothing."""
    for number in range(1, SLOTS + 1):
        if not isinstance(config.get(slot_key(number)), str):
            config[slot_key(number)] = EMPTY


def write(config, number, data, area_titles=None):
    """Saves data (the adventure's dictionary) into slot number and names the slot in config.

    The file is replaced atomically and durably, so a failure at any point leaves the previous
    save of that slot whole. Returns the slot's new name; raises SaveError saying what went wrong.
    """
    folder = directory(config)
    try:
        text = json.dumps(data, sort_keys=True, indent=1, allow_nan=False)
    except (TypeError, ValueError) as error:
        raise SaveError("Could not save in slot %d: %s. The previous save is kept." % (number, error))
    try:
        os.makedirs(folder, exist_ok=True)
        write_durably(slot_path(folder, number), text)
    except OSError as error:
        reason = error.strerror or str(error)
        raise SaveError("Could not save in slot %d: %s. The previous save is kept." % (number, reason))
    name = describe(data, area_titles)
    config[slot_key(number)] = name
    return name


def read(config, number):
    """The dictionary saved in slot number; SaveError for an empty slot or a file that is
    unreadable, damaged or from another version of the game."""
    path = slot_path(directory(config), number)
    try:
        with open(path, "rb") as f:
            raw = f.read()
    except FileNotFoundError:
        raise SaveError("Slot %d holds no saved game." % number)
    except OSError as error:
        raise SaveError("The save in slot %d cannot be read: %s." % (number, error.strerror or error))
    try:
        data = json.loads(raw.decode("utf-8"))
    except (UnicodeDecodeError, ValueError):
        raise SaveError("The save in slot %d is damaged." % number)
    if not isinstance(data, dict):
        raise SaveError("The save in slot %d is damaged." % number)
    if data.get("version") != VERSION:
        raise SaveError("The save in slot %d is from another version of the game." % number)
    return data


def load_into(game, config, slot, adventure_type):
    """Restores the saved game of a slot name ("save3") into game, or, when the slot cannot be
    loaded, starts a new game with the default pair and tells the player why. Returns True when
    the save was restored."""
    try:
        number = slot_number(slot)
        try:
            adventure = adventure_type.from_dict(read(config, number))
        except ValueError as error:
            raise SaveError("The save in slot %d is damaged: %s." % (number, str(error).rstrip(".")))
    except SaveError as error:
        message = "%s Starting a new game." % error
        print(message)
        game.start(*DEFAULT_PAIR)
        game.notify(message)
        return False
    game.restore(adventure)
    print("Loaded slot %d: %s" % (number, config.get(slot_key(number), "")))
    return True
