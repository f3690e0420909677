"""Writing generated files: only when their bytes change, and never half-written."""
import io
import os


def write_if_changed(path, data):
    os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except OSError:
        pass
    temporary = path + ".tmp"
    with open(temporary, "wb") as f:
        f.write(data)
    os.replace(temporary, path)


def png(image):
    """PNG bytes of a PIL image as 32-bit RGBA, the only layout the engine's textures take,
    without time stamps or other metadata that would change from one run to the next."""
    out = io.BytesIO()
    image.convert("RGBA").save(out, "PNG", optimize=True)
    return out.getvalue()
