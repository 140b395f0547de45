"""Disc folders for the tests: files written from {relative name: text or bytes}, the named
ones executable, the lines a recorder script appends to its record file, and a recorder as the
desktop's default application."""
import os


def write_files(folder, files, executable=()):
    for name, content in files.items():
        path = os.path.join(folder, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        data = content.encode("utf-8") if isinstance(content, str) else content
        with open(path, "wb") as f:
            f.write(data)
        if name in executable:
            os.chmod(path, 0o755)


def records(path):
    """The record's lines split at '|'; none before the first start."""
    try:
        with open(path) as f:
            return [line.rstrip("\n").split("|") for line in f]
    except FileNotFoundError:
        return []


# What the desktop's default application receives: its arguments, session and standard streams.
OPEN_RECORDER = """#!/bin/sh
line="$0"
for a in "$@"; do line="$line|$a"; done
fds=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2 | tr '\\n' ' ')
printf '%s|pid=%s|sid=%s|fds=%s\\n' "$line" "$$" "$(cut -d' ' -f6 /proc/$$/stat)" "$fds" \\
    >> "$TAVIK_RECORD"
"""
DEFAULT_TYPES = ("text/plain", "application/pdf", "inode/directory", "x-scheme-handler/http",
                 "x-scheme-handler/https")


def default_applications(base, exec_line=None):
    """A recorder (or the program of exec_line, a desktop entry's Exec=) registered in private
    XDG folders under base as the default application for DEFAULT_TYPES: the environment that
    makes GIO (and xdg-open) hand targets to it."""
    data, config = os.path.join(base, "xdg-data"), os.path.join(base, "xdg-config")
    recorder = os.path.join(base, "open-recorder.sh")
    lists = "[Default Applications]\n" + "".join(f"{t}=tavik-recorder.desktop\n"
                                                 for t in DEFAULT_TYPES)
    write_files(base, {"open-recorder.sh": OPEN_RECORDER,
                       "xdg-data/applications/tavik-recorder.desktop":
                           "[Desktop Entry]\nType=Application\nName=Recorder\nNoDisplay=true\n"
                           f"Exec={exec_line or recorder + ' %U'}\n"
                           f"MimeType={';'.join(DEFAULT_TYPES)};\n",
                       "xdg-data/applications/mimeapps.list": lists,
                       "xdg-config/mimeapps.list": lists}, executable=("open-recorder.sh",))
    return {"XDG_DATA_HOME": data, "XDG_CONFIG_HOME": config,
            "XDG_DATA_DIRS": data + ":/usr/share", "XDG_CONFIG_DIRS": config}
