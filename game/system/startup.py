"""What the engine's menus call to start or load a game."""
from system import main


def initgame(first, second):
    main.game.start(first, second)


def loadgame(slot):
    name = main.config.get(slot, "script")
    print("Loading %s (%s)" % (slot, name))
    main.game.start("JossHartle", "MinaSorrel")
