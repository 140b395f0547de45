#!/usr/bin/env python3
"""The INI differential in the user's language: files in every ANSI code page (captions,
commands and names in the language's script, [autorun] label=), and control characters around
names and values, read by GetPrivateProfileStringA under Wine with the locale in LANG (or LC_ALL,
LC_CTYPE) and by our Linux reader with the same environment; answers compared as UTF-8.

    locale_diff.py BUILD/linux/tests/wine/tavik_ini_lookup BUILD/win64/.../tavik_wine_diff.exe

Wine takes its code page from a locale only if the C library has it: the locales are compiled
into build/locales/ (LOCPATH). Exit 0 when every disagreement is a listed one."""
import os
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from locales import compiled_locales  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))

# Per code page: a locale of a language that uses it, and text in its script. Vietnamese is
# written as Windows-1258 files are: base letters with combining tone marks.
SCRIPTS = {
    936: ("zh_CN.UTF-8", "产品光盘", "光盘安装程序", "安装软件", "setup\\安装.exe /静默", "说明", "中文 文本"),
    950: ("zh_TW.UTF-8", "產品光碟", "安裝程式 許功蓋", "安裝軟體", "setup\\許功.exe", "說明", "繁體 中文"),
    932: ("ja_JP.UTF-8", "製品ディスク", "インストール ソフト表示", "ゾーン設定", "setup\\表示.exe /q", "説明", "日本語 テキスト"),
    949: ("ko_KR.UTF-8", "제품 디스크", "설치 프로그램", "설치하기", "setup\\설치.exe", "설명", "한국어 텍스트"),
    1251: ("ru_RU.UTF-8", "Диск продукта", "Установка программы", "Установить", "setup\\установка.exe", "Описание", "Ёжик в тумане"),
    1250: ("pl_PL.UTF-8", "Płyta produktu", "Instalacja programu", "Zażółć gęślą", "setup\\instalacja.exe", "Opis", "Łódź Źdźbło"),
    1253: ("el_GR.UTF-8", "Δίσκος προϊόντος", "Εγκατάσταση", "Εγκατάσταση λογισμικού", "setup\\εγκατάσταση.exe", "Περιγραφή", "Ελληνικά ΆΈΉ"),
    1254: ("tr_TR.UTF-8", "Ürün diski", "Kurulum İşlemi", "Yükle ğüşöç", "setup\\kurulum.exe", "Açıklama", "İıĞğŞş"),
    1255: ("he_IL.UTF-8", "תקליטור המוצר", "התקנה", "שָׁלוֹם עוֹלָם", "setup\\התקנה.exe", "תיאור", "עברית"),
    1256: ("ar_EG.UTF-8", "قرص المنتج", "تثبيت البرنامج", "تثبيت", "setup\\تثبيت.exe", "وصف", "العربية"),
    1257: ("lt_LT.UTF-8", "Produkto diskas", "Įdiegimas", "ąčęėįšųūž", "setup\\diegimas.exe", "Aprašas", "Ąžuolas"),
    1258: ("vi_VN.UTF-8", "Đi\u0303a sa\u0309n phâ\u0309m", "Ca\u0300i đă\u0323t", "Chương tri\u0300nh",
           "setup\\ca\u0300i.exe", "Mô ta\u0309", "Tiê\u0301ng Viê\u0323t"),
    874: ("th_TH.UTF-8", "แผ่นผลิตภัณฑ์", "ติดตั้งโปรแกรม", "ติดตั้ง", "setup\\ติดตั้ง.exe", "คำอธิบาย", "ภาษาไทย"),
    1252: ("de_DE.UTF-8", "Produkt-CD", "Größe Übersicht", "Installieren €", "setup\\größe.exe", "Beschreibung", "Ça va “bien”"),
}

# Other environments, with the code page both sides must take: which variable wins, and
# empty values.
PRECEDENCE = [
    ({"LC_ALL": "ja_JP.UTF-8", "LANG": "ru_RU.UTF-8"}, 932),
    ({"LC_ALL": "", "LC_CTYPE": "ko_KR.UTF-8", "LANG": "ru_RU.UTF-8"}, 949),
    ({"LC_CTYPE": "", "LANG": "el_GR.UTF-8"}, 1253),
    ({"LC_MESSAGES": "zh_CN.UTF-8", "LANG": "C"}, 1252),
    ({"LANG": "POSIX"}, 1252),
]
# The control-character files are read under these (a Western and two double-byte code pages).
CONTROL_CODE_PAGES = (1252, 936, 932)
LOCALE_VARIABLES = ("LC_ALL", "LC_CTYPE", "LC_MESSAGES", "LANG", "LANGUAGE")

# Control characters around names and values. Wine trims VT, FF and Ctrl-Z as blanks; the rest
# must be kept: probed both with and without them.
CONTROLS = [c for c in range(1, 32) if c not in (10, 13)] + [0x7F]

# Differences on purpose, each pinned: environment, file, section, key, Wine's and our answer.
# Wine takes the code page from the C library's locale, which must be installed; the menu reads
# the variables, so a Chinese disc reads as Chinese on a desktop whose locale was never compiled.
LISTED = [
    ({"LANG": "zh_CN.GB18030"}, "cp936", "Menu", "Caption", "¹âÅÌ°²×°³ÌÐò", "光盘安装程序"),
    # The A call cuts at 255 bytes of the code page, here half a character (which Wine's
    # conversion leaves as a NUL); the menu keeps up to 255 whole characters.
    ({"LANG": "zh_CN.UTF-8"}, "long-936", "M", "A", "光" * 127 + "\0", "光" * 200),
]
# Files only the listed cases read.
LISTED_FILES = {"long-936": ("[M]\r\nA=%s\r\n" % ("光" * 200)).encode("gbk")}


def script_file(code_page):
    _, label, caption, item, command, key, value = SCRIPTS[code_page]
    text = ("[autorun]\r\nopen=setup.exe\r\nlabel=%s\r\nicon=setup.exe,0\r\n\r\n"
            "[Menu]\r\nCaption=%s\r\nNrOfItems=2\r\nItem1=%s,%s\r\nItem2= \"%s\" ,notepad.exe %s.txt\r\n"
            "%s=%s\r\n\r\n[%s]\r\n%s = %s\r\n") % (
        label, caption, item, command, value, key, key, value, key, caption, label)
    data = text.encode("cp%d" % code_page)
    probes = [("autorun", "label"), ("autorun", "open"), ("Menu", "Caption"), ("Menu", "Item1"),
              ("Menu", "Item2"), ("Menu", key), ("Menu", "Missing"), (key, caption)]
    return data, probes


def control_files():
    files = {}
    for c in CONTROLS:
        x = chr(c)
        text = ("%s[%sSec%s]%s\r\n%sK1%s=%sv1%s\r\nK2=v%sx\r\nK3=%s\r\n"
                "[Z]\r\nicon=foo.ico%s") % ((x,) * 11)
        probes = [("Sec", "K1"), ("Sec", "K2"), ("Sec", "K3"), ("Z", "icon"),
                  ("%sSec%s" % (x, x), "K1"), ("Sec", "%sK1%s" % (x, x))]
        if c == 9:
            probes = probes[:4]  # a tab is trimmed from the names we pass too
        files["control-%02x" % c] = (text.encode("latin-1"), probes)
    # Wider spaces are not blanks: no-break space, the ideographic space (GBK and UTF-8).
    files["nbsp-1252"] = ("[M]\r\nA=\xa0x\xa0\r\n\xa0B=y\r\n".encode("cp1252"),
                          [("M", "A"), ("M", "B"), ("M", "\xa0B")])
    files["ideographic-936"] = ("[M]\r\nA=\u3000值\u3000\r\n".encode("gbk"), [("M", "A")])
    files["ctrl-z-utf16"] = (b"\xff\xfe" + "[M]\r\n\x0bA\x0c=\x1ax\x0b\r\nicon=f.ico\x1a".encode(
        "utf-16-le"), [("M", "A"), ("M", "icon")])
    return files


def code_page_of(name):
    """The code page a corpus file is written in; None for ASCII and UTF-16 files."""
    if name.startswith("cp"):
        return int(name[2:])
    if name.startswith(("nbsp-", "ideographic-")):
        return int(name.rsplit("-", 1)[1])
    return None


def hexed(s):
    return s.encode("utf-8").hex()


def run(command, env, timeout):
    return subprocess.run(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=timeout)


def answers(output):
    lines = [l.strip() for l in output.decode("utf-8", "replace").splitlines() if l.strip()]
    if not lines or not lines[0].startswith("acp "):
        raise RuntimeError("no answers: %r" % output[:400])
    return int(lines[0][4:]), [bytes.fromhex(l).decode("utf-8", "replace") if l != "-" else ""
                               for l in lines[1:]]


def write_manifests(folder, tag, probes):
    """The probes for our reader (Linux paths) and for Wine (the same files through Z:)."""
    unix, wine = (os.path.join(folder, "%s-%s.txt" % (tag, side)) for side in ("unix", "wine"))
    with open(unix, "w", encoding="utf-8") as u, open(wine, "w", encoding="utf-8") as w:
        for path, s, k in probes:
            u.write("%s\t%s\t%s\n" % (path, hexed(s), hexed(k)))
            w.write("Z:%s\t%s\t%s\n" % (path.replace("/", "\\"), hexed(s), hexed(k)))
    return unix, wine


def main():
    lookup, wine_exe = sys.argv[1], sys.argv[2]
    if not os.path.isfile(wine_exe):
        print("missing %s: build the win64 preset first" % wine_exe)
        return 1
    locpath = compiled_locales(sorted({s[0] for s in SCRIPTS.values()}))
    base_env = {k: v for k, v in os.environ.items() if k not in LOCALE_VARIABLES and k != "LOCPATH"}
    base_env["LOCPATH"] = locpath

    with tempfile.TemporaryDirectory(prefix="tavik-locale-diff-") as tmp:
        files = {"cp%d" % cp: script_file(cp) for cp in SCRIPTS}
        files.update(control_files())
        for name, data in list(LISTED_FILES.items()) + [(n, d) for n, (d, _) in files.items()]:
            with open(os.path.join(tmp, name + ".inf"), "wb") as f:
                f.write(data)

        def probes_for(code_page):
            # A file in another language's code page is left out: Windows shows mojibake, and
            # its A call turns what the user's code page lacks into '?'. Not worth imitating.
            out = []
            for name, (_, file_probes) in sorted(files.items()):
                cp = code_page_of(name)
                if cp == code_page or (cp is None and code_page in CONTROL_CODE_PAGES):
                    out += [(name, s, k) for s, k in file_probes]
            return out

        # The prefix made, and its server kept up between runs (it ends 10 s after the last);
        # a server already up stays up anyway.
        subprocess.run(["bash", "-c", 'source "$1"; tavik_wine_prefix; '
                        '/usr/lib/wine/wineserver -p10 2>/dev/null || true',
                        "-", os.path.join(HERE, "..", "support", "wine_env.sh")],
                       env=base_env, timeout=300, check=True)
        environments = [({"LANG": s[0]}, cp) for cp, s in SCRIPTS.items()] + PRECEDENCE
        cases = agreements = listed = 0
        failures = []
        listed_runs = [(e, None) for e in {tuple(sorted(e.items())): e for e, *_ in LISTED}.values()]
        for n, (extra, code_page) in enumerate(environments + listed_runs):
            where = " ".join("%s=%s" % kv for kv in sorted(extra.items()))
            pinned = {(name, s, k): (w, o) for e, name, s, k, w, o in LISTED
                      if e == extra and code_page is None}
            probes = list(pinned) if pinned else probes_for(code_page)
            unix, wine_manifest = write_manifests(
                tmp, str(n), [(os.path.join(tmp, name + ".inf"), s, k) for name, s, k in probes])
            env = dict(base_env, **extra)
            wine_acp, wine = answers(run(
                ["bash", os.path.join(HERE, "run_under_wine.sh"), wine_exe, "probe", wine_manifest],
                env, 120).stdout)
            our_acp, ours = answers(run([lookup, unix], env, 60).stdout)
            if len(wine) != len(probes) or len(ours) != len(probes):
                failures.append("%s: %d and %d answers to %d probes" % (
                    where, len(wine), len(ours), len(probes)))
                continue
            if not pinned and not wine_acp == our_acp == code_page:
                failures.append("%s: code page Wine %d, ours %d, expected %d" % (
                    where, wine_acp, our_acp, code_page))
            for (name, s, k), a, b in zip(probes, wine, ours):
                cases += 1
                if pinned:
                    if (a, b) == pinned[(name, s, k)]:
                        listed += 1
                    else:
                        failures.append("%s listed case changed: %s [%s] %s: Wine %r, ours %r" % (
                            where, name, s, k, a, b))
                elif a == b:
                    agreements += 1
                else:
                    failures.append("%s (code page %d): %s [%r] %r: Wine %r, ours %r" % (
                        where, wine_acp, name, s, k, a, b))
        for f in failures[:40]:
            print("DISAGREE", f)
        print("locales    environments %d  cases %d  agreements %d  listed exceptions %d  "
              "disagreements %d" % (len(environments) + len(listed_runs), cases, agreements, listed,
                                    len(failures)))
        return 0 if not failures else 1


if __name__ == "__main__":
    sys.exit(main())
