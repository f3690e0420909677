from system import main


def initgame(first, second):
    main.calls.append(("initgame", first, second))


def loadgame(slot):
    main.calls.append(("loadgame", slot))
