"""Text for the screen: the names of bound keys and lines wrapped to a box."""

KEY_NAMES = {8: "Backspace", 9: "Tab", 13: "Return", 27: "Escape", 32: "Space", 273: "Up", 274: "Down",
             275: "Right", 276: "Left", 303: "Right Shift", 304: "Left Shift", 305: "Right Ctrl",
             306: "Left Ctrl", 307: "Right Alt", 308: "Left Alt"}


def key_name(number):
    """What a player calls the key with this SDL 1.2 key number."""
    if number in KEY_NAMES:
        return KEY_NAMES[number]
    if isinstance(number, int) and 282 <= number <= 296:
        return "F%d" % (number - 281)
    if isinstance(number, int) and 33 <= number < 127:
        return chr(number).upper()
    return "key %s" % (number,)


def wrap(text, columns):
    """The text in lines of at most `columns` characters, broken between words (a longer word
    gets a line of its own)."""
    lines, line = [], ""
    for word in text.split():
        if line and len(line) + 1 + len(word) > columns:
            lines.append(line)
            line = word
        else:
            line = (line + " " + word).strip()
    return lines + [line]
