"""What the engine's menus call to start or load a game."""
from system import main


def initgame(first, second):
    """A new game with the two characters chosen on the character select screen."""
    main.game.start(first, second)


def loadgame(slot):
    """A slot of the load game screen: "save1" to "save10". The quay keeps no saved state yet,
    so every slot starts at the quay with the usual pair."""
    name = main.config.get(slot, "script")
    print("Loading %s (%s)" % (slot, name))
    main.game.start("JossHartle", "MinaSorrel")
