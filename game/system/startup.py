"""What the engine's menus call to start or load a game."""
from system import main, saves
from system.adventure import Adventure


def initgame(first, second):
    """A new game with the two characters chosen on the character select screen."""
    main.game.start(first, second)


def loadgame(slot):
    """A slot of the load game screen, "save1" to "save10": the game saved there, or, when the
    slot holds none or its file cannot be used, a new game with a message saying why."""
    saves.load_into(main.game, main.config, slot, Adventure)
