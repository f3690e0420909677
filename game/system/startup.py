"""What the engine's menus call to start or load a game."""
from system import main, saves
from system.adventure import Adventure


def initgame(first, second):
    """A new game with the two characters chosen on the character select screen."""
    main.game.start(first, second)
    _menu_key_still_down()


def loadgame(slot):
    """A slot of the load game screen, "save1" to "save10": the game saved there, or, when the
    slot holds none or its file cannot be used, a new game with a message saying why."""
    saves.load_into(main.game, main.config, slot, Adventure)
    _menu_key_still_down()


def _menu_key_still_down():
    # The menus call in during the frame whose Return chose the entry, and the game's step runs
    # later in that same frame: marked as just back from a menu, it lets that Return pass instead
    # of acting on whatever the pair stands in front of.
    main.game.menu_open = True
