"""The save menu: the ten slots over the scene, Up and Down to choose, Return to save into the
highlighted slot, Escape (or the cancel button) to go back to play."""
import font
import graphics
import input

from system import saves, story

_current = None


def is_open():
    return _current is not None


def frame():
    """One frame of the open menu: its keys, then its drawing over the scene."""
    if _current is not None:
        _current.frame()


class SaveMenu:
    LEFT, TOP, ROW = 200, 120, 34

    def __init__(self, game):
        self.game = game
        self.names = saves.slot_names(game.config)
        self.selected = 0
        self.message = ""
        # The key that opened the menu still reads as just pressed in the frame it was opened.
        self.keys_fresh = False

    @classmethod
    def open(cls, game):
        global _current
        _current = cls(game)
        return _current

    def close(self):
        global _current
        if _current is self:
            _current = None

    def frame(self):
        if self.keys_fresh:
            self._keys()
        self.keys_fresh = True
        if is_open():
            self._draw()

    def _keys(self):
        if _pressed("SC_BUTTON_MENU", "SC_BUTTON_CANCEL", "SDLK_ESCAPE"):
            self.close()
        elif _pressed("SC_AXIS_UP", "SDLK_UP"):
            self.selected = (self.selected - 1) % saves.SLOTS
        elif _pressed("SC_AXIS_DOWN", "SDLK_DOWN"):
            self.selected = (self.selected + 1) % saves.SLOTS
        elif _pressed("SC_BUTTON_ACTION", "SDLK_RETURN"):
            self._save(self.selected + 1)

    def _save(self, number):
        adventure = self.game.adventure
        try:
            name = saves.write(self.game.config, number, adventure.to_dict(), _area_titles())
        except saves.SaveError as error:
            # The menu stays open: the player may try another slot.
            self.message = str(error)
            print(error)
            self.game.notify(str(error))
            return
        print("Saved in slot %d: %s" % (number, name))
        self.game.notify("Saved in slot %d: %s" % (number, name))
        self.close()

    def _draw(self):
        # Text first: 2D drawing lies on the near plane, and the first drawing at a pixel stays
        # in front, so the panel drawn afterwards lands behind the words.
        x, y = self.LEFT, self.TOP
        font.drawstring("Save the game", x, y - 60, 30, 1.0, 0.9, 0.6)
        for index, name in enumerate(self.names):
            chosen = index == self.selected
            colour = (1.0, 0.75, 0.3) if chosen else (0.75, 0.85, 0.95)
            text = "%s%d  %s" % ("> " if chosen else "   ", index + 1, name)
            font.drawstring(text, x, y + index * self.ROW, 22, *colour)
        bottom = y + saves.SLOTS * self.ROW
        if self.message:
            font.drawstring(self.message, x - 120, bottom + 6, 16, 1.0, 0.5, 0.45)
        font.drawstring("Up/Down choose   Return saves   Escape goes back", x, bottom + 36, 16,
                        0.7, 0.7, 0.7)
        graphics.push2d()
        graphics.drawrect(x - 20, y + self.selected * self.ROW - 4, 380, self.ROW - 2,
                          0.18, 0.22, 0.3, 1.0)
        graphics.drawrect(x - 140, y - 80, 520, bottom - y + 150, 0.06, 0.08, 0.12, 1.0)
        graphics.pop2d()


def _pressed(*names):
    return any(input.iskeytriggered(name) for name in names)


def _area_titles():
    """Area names as the player reads them."""
    return {name: area["title"] for name, area in story.AREAS.items()}
