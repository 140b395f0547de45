"""Disc folders for the tests: files written from {relative name: text or bytes}, the named
ones executable, and the lines a recorder script appends to its record file."""
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
