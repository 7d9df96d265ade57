"""Nautilus menu items "Convert to JPG" and "Convert to PNG" for HEIC, HEIF and AVIF photos.

Each runs pixvue-convert beside the selected files; it ends with a desktop notification.
"""

import os
import subprocess

import gi

try:
    gi.require_version("Nautilus", "4.0")
except ValueError:
    gi.require_version("Nautilus", "3.0")
from gi.repository import GObject, Nautilus  # noqa: E402

SUFFIXES = (".heic", ".heif", ".hif", ".avif")
FORMATS = (("jpg", "Convert to JPG"), ("png", "Convert to PNG"))


def is_photo(path):
    return path is not None and path.lower().endswith(SUFFIXES)


def convert_command(fmt, paths):
    return ["pixvue-convert", "--notify", "-f", fmt, "--"] + list(paths)


class PixvueConvertMenu(GObject.GObject, Nautilus.MenuProvider):
    def get_file_items(self, *args):
        # Nautilus 43 passes the files; earlier versions the window first.
        files = args[-1]
        paths = [f.get_location().get_path() for f in files]
        if not paths or not all(is_photo(path) for path in paths):
            return []
        items = []
        for fmt, label in FORMATS:
            item = Nautilus.MenuItem(
                name="PixvueConvert::" + fmt,
                label=label,
                tip="Convert the selected photos with Pixvue",
            )
            item.connect("activate", self.convert, fmt, paths)
            items.append(item)
        return items

    def convert(self, _item, fmt, paths):
        subprocess.Popen(
            convert_command(fmt, paths),
            cwd=os.path.dirname(paths[0]),
            stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
            start_new_session=True,
        )
