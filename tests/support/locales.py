"""Locales a test needs, compiled once per checkout with localedef into build/locales/ (the
system's locales stay untouched); pass the folder as LOCPATH. Made under a lock, so tests may
ask side by side; a locale is renamed into place only once complete."""
import fcntl
import os
import subprocess

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
FOLDER = os.path.join(ROOT, "build", "locales")


def compiled_locales(names):
    """LOCPATH for the named locales ("zh_CN.UTF-8"), each made from its source and charmap."""
    os.makedirs(FOLDER, exist_ok=True)
    with open(FOLDER + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        missing = [n for n in names if not os.path.isfile(os.path.join(FOLDER, n, "LC_CTYPE"))]
        pending, running = list(missing), []
        while pending or running:
            while pending and len(running) < 2:  # two at a time: they are slow, and CPU-bound
                name = pending.pop(0)
                source, charmap = name.split(".", 1)
                part = os.path.join(FOLDER, ".part-%d-%s" % (os.getpid(), name))
                running.append((name, part, subprocess.Popen(
                    ["localedef", "-i", source, "-f", charmap, part],
                    stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)))
            name, part, proc = running.pop(0)
            _, err = proc.communicate(timeout=300)
            # localedef exits 1 on warnings about its source; the files are complete all the same.
            if not os.path.isfile(os.path.join(part, "LC_CTYPE")):
                raise RuntimeError("localedef %s: %s" % (name, err.decode(errors="replace")))
            os.rename(part, os.path.join(FOLDER, name))
    return FOLDER
