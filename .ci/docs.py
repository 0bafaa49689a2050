#!/usr/bin/env python3
"""Runs every command that the three READMEs and the manual pages' examples
give, as a new user would, and checks that what they quote is what the
program prints.

The commands are read out of the docs themselves: indented and ```sh
blocks and the inline commands of the READMEs, the "$ " lines of the
pages' examples. Each must be an entry of COMMANDS, found in every doc the
entry names, or the check fails before it runs anything (--read stops
there). Needs what .ci/run's earlier steps leave: build/default (its test
locales too), build/windows, build/package with the second build in
build/again, and the cross compilers. --from COMMAND goes on from an
entry, after the package is installed.
"""
import ast
import functools
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
VERSION = re.search(r"project\(wavestars VERSION ([0-9.]+)", (ROOT / "CMakeLists.txt").read_text()).group(1)
DEB = f"build/package/wavestars_{VERSION}_amd64.deb"
EN, CN, TW = "README.md", "README.zh-CN.md", "README.zh-TW.md"
PAGES = ("doc/wavestars.1", "doc/zh_CN/wavestars.1", "doc/zh_TW/wavestars.1")
READMES = (EN, CN, TW)
# Each doc's language: the locale its quoted messages are checked in, the
# catalogues they come from (None: the English texts; the English README
# quotes the Chinese forms too), and its words for "that/folder".
LANGUAGE = {
    EN: ("C.UTF-8", (None, "po/zh_CN.po", "po/zh_TW.po"), "that/folder"),
    CN: ("zh_CN.UTF-8", ("po/zh_CN.po",), "那个文件夹"),
    TW: ("zh_TW.UTF-8", ("po/zh_TW.po",), "該資料夾"),
    PAGES[0]: ("C.UTF-8", (None,), None),
    PAGES[1]: ("zh_CN.UTF-8", ("po/zh_CN.po",), None),
    PAGES[2]: ("zh_TW.UTF-8", ("po/zh_TW.po",), None),
}
# An inline span starting with one of these, with a space in it, is a command.
COMMANDWORDS = {"apt", "bash", "bench/pacing.py", "cd", "cmake", "cp", "ctest", "diffoscope", "ffmpeg", "lintian",
                "man", "sha256sum", "sox", "sudo", "wavestars"}


def fail(message):
    sys.exit(f".ci/docs: {message}")


# ---- reading the docs


def markdown(text):
    """The commands and the fenced output blocks of a README."""
    commands, quoted, prose = [], [], []
    lines = text.split("\n")
    i = 0
    while i < len(lines):
        line = lines[i]
        if line.startswith("```"):
            end = lines.index("```", i + 1)
            kind = line[3:].strip()
            if kind == "sh":
                commands += [c for c in lines[i + 1:end] if c.strip()]
            elif kind == "text":
                quoted.append(lines[i + 1:end])
            else:
                fail(f"a fenced block that is neither ```sh (commands) nor ```text (output): {line!r}")
            i = end + 1
        elif line.startswith("    ") and not lines[i - 1].strip() and not line.lstrip().startswith(("-", "`")):
            while i < len(lines) and (lines[i].startswith("    ") or not lines[i].strip()):
                commands += [lines[i].strip()] if lines[i].strip() else []
                i += 1
        else:
            prose.append(line)
            i += 1
    found = re.findall(r"``(.+?)``|`([^`]+)`", "\n".join(prose), re.S)
    spans = [re.sub(r"\s*\n\s*", " ", a or b).replace("\\|", "|") for a, b in found]
    commands += [s for s in spans if " " in s and s.split()[0] in COMMANDWORDS]
    return commands, quoted, [s for s in spans if s.startswith("wavestars: ")]


QUOTED = r'"(?:[^"\\]|\\.)*"'  # a C or gettext string
PLACEHOLDER = "\u2026"
PATH = r"[^\s：；，。（）、]*[/\\][^\s：；，。（）、]*"  # a folder, its names in any script


def roff(text):
    return text.replace("\\:", "").replace("\\&", "").replace("\\-", "-").replace("\\e", "\\")


def manpage(text):
    """The example commands and the quoted messages of a manual page."""
    commands = [roff(line[2:]) for line in text.split("\n") if line.startswith("$ ")]
    messages = []
    for line in text.split("\n"):
        if re.match(r"\.B[IR]? ", line):
            # Alternating fonts: the words in quotes or alone, in turn.
            parts = [p[1:-1] if p.startswith('"') else p for p in re.findall(r'"[^"]*"|\S+', line)[1:]]
            if line.startswith(".BI"):  # italic: a placeholder, as n or cause
                parts = [PLACEHOLDER if i % 2 and re.search(r"\w", p) else p for i, p in enumerate(parts)]
            joined = "".join(parts) if line.startswith((".BI", ".BR")) else " ".join(parts)
            if joined.startswith("wavestars: "):
                messages.append(roff(joined).rstrip(",.;，。；"))  # the sentence's, not the message's
    return commands, [], messages


def readdocs():
    docs = {}
    for name in READMES + PAGES:
        text = (ROOT / name).read_text(encoding="utf-8")
        commands, quoted, messages = (markdown if name.endswith(".md") else manpage)(text)
        folder = LANGUAGE[name][2]
        commands = [c.replace(folder, "that/folder") if folder else c for c in commands]
        docs[name] = (commands, quoted, messages)
    return docs


# ---- running them


def run(command, cwd=ROOT, env=None, ok=(0,)):
    """Runs a command as a user would type it, with no input."""
    result = subprocess.run(["bash", "-o", "pipefail", "-c", command], cwd=cwd, stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env or WORLD.env)
    if result.returncode not in ok:
        fail(f"`{command}` in {cwd} ended with status {result.returncode}:\n"
             f"{result.stdout.decode(errors='replace')[-2000:]}{result.stderr.decode(errors='replace')[-2000:]}")
    return result


class World:
    """A home and a scratch folder of the check's own, and the locales the
    test build made, so that a Chinese locale needs nothing from the system."""

    def __init__(self):
        self.scratch = Path(tempfile.mkdtemp(prefix="wavestars-docs-"))
        self.home = self.scratch / "home"
        self.home.mkdir()
        self.env = dict(os.environ, HOME=str(self.home), LC_ALL="C.UTF-8",
                        LOCPATH=str(ROOT / "build/default/tests/locales"))

    def folder(self, name):
        path = self.scratch / name
        path.mkdir(parents=True)
        return path

    def inlocale(self, locale):
        env = dict(self.env)
        env.pop("LC_ALL")
        return dict(env, LANG=locale)


WORLD = None


def drawn(result, rows=None):
    """Checks that a run drew a whole plot, quietly, and gives its lines."""
    out = result.stdout.decode("gbk")
    if result.stderr or "总计打印行数：" not in out:
        fail(f"no plot, or not a quiet one: {result.stderr.decode(errors='replace')}{out[-300:]}")
    if rows is not None and f"总计打印行数：{rows}\n" not in out:
        fail(f"expected {rows} rows: {out[-300:]}")
    return out.split("\n")


def tone(folder):
    """bell.ogg, one second of a tone, made with sox: 441 rows once converted."""
    run("sox -n -r 44100 -c 2 bell.ogg synth 1 sine 440 gain -6", cwd=folder)


@functools.lru_cache(maxsize=None)  # the same every time, and 4 s a run
def sample():
    return run("cd /usr/share/wavestars && wavestars")


def installedsample(command):
    drawn(run(command), rows=882)


def inscript(script):
    def check(command):
        if command not in (ROOT / script).read_text().split("\n"):
            fail(f"`{command}` is not run by {script}")
    return check


def demo(command):
    out = run(command).stdout
    if "总计打印行数：882".encode("gbk") not in out and "总计打印行数：882".encode() not in out:
        fail(f"`{command}` drew no sample: {out[-500:]!r}")


def presetexclusion():
    """The tests the test preset leaves out, as a regular expression."""
    presets = json.loads((ROOT / "CMakePresets.json").read_text())["testPresets"]
    return next(p for p in presets if p["name"] == "default")["filter"]["exclude"]["name"]


def plainbuild(command):
    clone = WORLD.folder(f"plain{len(list(WORLD.scratch.glob('plain*')))}")
    run(f"git clone -q {ROOT} source", cwd=clone)
    build = clone / "DIR"
    run(command.replace("DIR", str(build)), cwd=clone / "source")
    drawn(run(f"cd {ROOT}/build/default/sample && {build}/wavestars"), rows=882)
    if "-DBUILD_TESTING=OFF" in command:
        if (build / "tests").exists():
            fail(f"`{command}` built the tests too")
    else:  # the tests this build made pass too, the Wine ones being .ci/windows'
        run(f"ctest --test-dir {build} -j2 -E '{presetexclusion()}'")


def ownfile(command):
    folder = WORLD.folder("that/folder")
    tone(folder)
    run("sox bell.ogg -b 16 Alarm02.wav", cwd=folder)
    drawn(run(command.replace("that/folder", str(folder)).replace("/path/to", str(ROOT)), cwd=WORLD.scratch),
          rows=441)


def converts(command):
    folder = WORLD.folder(command.split()[0])
    tone(folder)
    run(command, cwd=folder)
    drawn(run(f"{ROOT}/build/default/wavestars", cwd=folder))  # the decoders' lengths differ by a row


def copythenrun(command):
    sounds = WORLD.home / "sounds"
    if not (sounds / "bell.wav").exists():
        sounds.mkdir()
        tone(sounds)
        run("sox bell.ogg bell.wav", cwd=sounds)
    folder = WORLD.scratch / "copied"
    folder.mkdir(exist_ok=True)
    result = run(command, cwd=folder)
    if command == "wavestars":
        drawn(result, rows=441)


def plotfile(command):
    folder = WORLD.folder("plotfile")
    shutil.copy("/usr/share/wavestars/Alarm02.wav", folder)
    run(command, cwd=folder)
    if (folder / "plot.txt").read_bytes() != sample().stdout:
        fail(f"`{command}` wrote another plot than the sample's")


def headpipe(command):
    run("cp /usr/share/wavestars/Alarm02.wav .", cwd=WORLD.folder("head"))
    result = run(command, cwd=WORLD.scratch / "head", ok=(141,))
    if result.stderr or len(result.stdout.split(b"\n")) != 11:
        fail(f"`{command}`: not ten rows and silence: {result.stderr!r}")


def aptinstall(command):
    if os.geteuid() == 0:
        command = command.removeprefix("sudo ")
    run("DEBIAN_FRONTEND=noninteractive " + command.replace("apt install", "apt-get install -y"))
    if not Path("/usr/bin/wavestars").exists():
        fail(f"`{command}` installed no /usr/bin/wavestars")


def manpages(command):
    # The page's NAME line in each language, as man formats it.
    names = {"C.UTF-8": "draw the waveform of a WAVE file", "zh_CN.UTF-8": "用一行行星号绘制 WAVE 文件的波形",
             "zh_TW.UTF-8": "以一列列星號繪出 WAVE 檔案的波形"}
    for locale, name in names.items():
        page = run(f"MANWIDTH=80 {command} | col -b", env=WORLD.inlocale(locale))
        if name not in page.stdout.decode():
            fail(f"`{command}` under {locale} shows no page with {name!r}")


def lintiannote(command):
    tags = set(re.findall(r"^\w: wavestars[^:]*: (\S+)", run(f"{command} {DEB}").stdout.decode(), re.M))
    if tags != {"binary-has-unneeded-section"}:
        fail(f"`{command}` gives {sorted(tags)}, the README says binary-has-unneeded-section only")


def localinstall(command):
    run(command)
    local = WORLD.home / ".local"
    for file in ("bin/wavestars", "share/man/man1/wavestars.1.gz", "share/man/zh_CN/man1/wavestars.1.gz",
                 "share/man/zh_TW/man1/wavestars.1.gz", "share/wavestars/Alarm02.wav"):
        if not (local / file).is_file():
            fail(f"`{command}` put no {file} under ~/.local")
    hint = run(f"{local}/bin/wavestars", cwd=WORLD.folder("elsewhere"), ok=(1,)).stderr.decode()
    if f"is in {local}/share/wavestars;" not in hint:
        fail(f"the program under ~/.local does not name its sample: {hint}")


def sums(command):
    here = run(command).stdout.decode()
    again = run(command, cwd=ROOT / "build/again").stdout.decode()
    if len(here.split("\n")) != 4 or here != again:
        fail(f"`{command}` gives other sums for two builds:\n{here}{again}")


def diffoscope(command):
    run(command.replace("A.deb", DEB).replace("B.deb", f"build/again/{DEB}"))


def windowsbuild(command):
    run(command)
    if not (ROOT / "build/windows/wavestars.exe").is_file():
        fail(f"`{command}` made no build/windows/wavestars.exe")


def windowsinstall(command):
    folder = WORLD.folder("windows")
    run(command.replace("DIR", str(folder)))
    files = sorted(p.name for p in folder.iterdir())
    if files != ["Alarm02.wav", "LICENSE.txt", "README.txt", "README.zh-CN.txt", "README.zh-TW.txt", "wavestars.exe"]:
        fail(f"`{command}` installed {files}")


def windowshint(command):
    # The Windows program's own hint, which wineconsole.fromcmdelsewhere* has
    # it give under Wine; here only its shape.
    if not re.fullmatch(r"cd /d \S+ && wavestars\.exe", command):
        fail(f"{command!r} is not the command the Windows program gives")


def configure(command):
    run(command)


def covered(by):
    def check(command):
        if not command.startswith(by.split(" [")[0]):
            fail(f"`{command}` is not a form of `{by}`, which runs it")
    return check


def bench(command):
    out = run("python3 bench/pacing.py --wine --runs 1").stdout.decode()
    if out.count("ratio") < 2:
        fail(f"`{command}` reported no ratio for both builds: {out}")


ALL = READMES + PAGES
COMMANDS = [
    ("cmake --workflow --preset test", READMES, inscript(".ci/run")),
    ("cmake --workflow --preset asan", (EN,), inscript(".ci/run")),
    ("bash .ci/windows", (EN,), inscript(".ci/run")),
    ("bash .ci/package", (EN,), inscript(".ci/run")),
    ("bash .ci/cross", (EN,), inscript(".ci/run")),
    ("bash .ci/lint", (EN,), inscript(".ci/run")),
    ("bash .ci/fuzz", (EN,), inscript(".ci/run")),
    ("bash .ci/docs", (EN,), inscript(".ci/run")),
    ("cmake --workflow --preset package", READMES, inscript(".ci/package")),
    ("cmake --workflow --preset package-windows", READMES, inscript(".ci/package")),
    ("cmake --workflow --preset demo", READMES, demo),
    ("cmake -S . -B DIR && cmake --build DIR", (EN,), plainbuild),
    ("cmake -S . -B DIR -DBUILD_TESTING=OFF && cmake --build DIR", READMES, plainbuild),
    ("cd that/folder && /path/to/build/default/wavestars", READMES, ownfile),
    ("sox bell.ogg -t wavpcm -e signed-integer -b 16 Alarm02.wav", ALL, converts),
    ("ffmpeg -i bell.ogg -bitexact -map_metadata -1 -c:a pcm_s16le Alarm02.wav", ALL, converts),
    ("cmake --preset windows && cmake --build --preset windows", READMES, windowsbuild),
    ("cmake --install build/windows --prefix DIR --strip", (EN,), windowsinstall),
    ("cd /d D:\\tools\\wavestars-1.0.0-win64 && wavestars.exe", READMES, windowshint),
    ("cmake --preset clang-cl", (EN,), configure),
    ("cmake --preset cross-s390x", (EN,), configure),
    ("cmake --install build/default --prefix ~/.local", READMES, localinstall),
    ("sha256sum build/package/*.deb build/package/*.tar.gz build/package-windows/*.zip", (EN,), sums),
    ("diffoscope A.deb B.deb", (EN,), diffoscope),
    ("bench/pacing.py [--wine]", (EN,), bench),
    ("bench/pacing.py --wine", (EN,), covered("bench/pacing.py [--wine]")),
    # Installed: the package first, the rest on the installed program.
    (f"sudo apt install ./{DEB}", READMES, aptinstall),
    ("lintian -I", (EN,), lintiannote),
    ("man wavestars", READMES, manpages),
    ("cd /usr/share/wavestars && wavestars", ALL, installedsample),
    ("wavestars | head", (EN,), headpipe),
    ("cp ~/sounds/bell.wav Alarm02.wav", PAGES, copythenrun),
    ("wavestars", PAGES, copythenrun),
    ("wavestars < /dev/null > plot.txt", PAGES, plotfile),
]


def symbolversions(program):
    """The newest GLIBC_ and GLIBCXX_ versions a program asks for."""
    found = re.findall(r"\((GLIBC|GLIBCXX)_([\d.]+)\)", run(f"objdump -T {program}").stdout.decode())
    newest = {}
    for library, version in found:
        newest[library] = max(newest.get(library, "0"), version, key=lambda v: [int(n) for n in v.split(".")])
    return [f"GLIBC_{newest['GLIBC']}", f"GLIBCXX_{newest['GLIBCXX']}"]


def checkfloor():
    """The Linux floor the READMEs state is what the built program and the
    .deb's ask for."""
    floor = r"`(GLIBC_[\d.]+)`[^`]*`(GLIBCXX_[\d.]+)`"
    stated = {name: re.findall(floor, (ROOT / name).read_text()) for name in READMES}
    if any(len(s) != 1 or s != stated[EN] for s in stated.values()):
        fail(f"the READMEs state the Linux floor differently: {stated}")
    for program in ("build/default/wavestars", "/usr/bin/wavestars"):
        if symbolversions(program) != list(stated[EN][0]):
            fail(f"{program} needs {symbolversions(program)}, the READMEs say {list(stated[EN][0])}")


def checkknown(docs):
    """Every command in the docs is an entry, and every entry is in each of
    its docs: a command changed in one language shows as unknown."""
    known = {c for c, _, _ in COMMANDS}
    for name, (commands, _, _) in docs.items():
        for command in commands:
            if command not in known:
                fail(f"{name}: `{command}` is a command that .ci/docs does not know: add it to COMMANDS")
    for command, where, _ in COMMANDS:
        for name in where:
            if command not in docs[name][0]:
                fail(f"{name} lacks `{command}`, which {', '.join(w for w in where if w != name)} give")


# ---- what the docs quote


def catalogue(po):
    """The program's texts in a language: msgstr of a catalogue, or the
    English texts in src/messages.cpp."""
    def joined(strings):  # "..." "...", as C and gettext split a text
        return "".join(ast.literal_eval(s) for s in re.findall(QUOTED, strings))

    if po is None:
        source = (ROOT / "src/messages.cpp").read_text()
        return [joined(m) for m in re.findall(rf"\{{msg::\w+,\s*((?:{QUOTED}\s*)+)\}}", source)]
    pairs = re.findall(rf"^msgid ((?:{QUOTED}\n)+)msgstr ((?:{QUOTED}\n?)+)", (ROOT / po).read_text(encoding="utf-8"),
                       re.M)
    return [joined(text) for msgid, text in pairs if joined(msgid)]  # the header's msgid is empty


def composes(texts):
    """Whether a text is one of texts with each {n} filled by a word or,
    nested, another of them, as the program composes its messages."""
    templates = [re.split(r"\{\d\}", t) for t in texts + ["cd {1} && {2}", "cd /d {1} && {2}"]]

    @functools.lru_cache(maxsize=None)
    def produced(text, depth):
        if re.fullmatch(r"[\x21-\x7e]+|" + PATH + "|" + PLACEHOLDER, text):  # a number, a path, a name
            return True
        return depth > 0 and any(fits(tuple(t), text, depth) for t in templates)

    @functools.lru_cache(maxsize=None)
    def fits(literals, text, depth):
        if not text.startswith(literals[0]):
            return False
        rest = text[len(literals[0]):]
        if len(literals) == 1:
            return not rest
        if len(literals) == 2:  # the last slot takes all up to the final literal
            return rest.endswith(literals[1]) and produced(rest[:len(rest) - len(literals[1])], depth - 1)
        return any(produced(rest[:i], depth - 1) and fits(literals[1:], rest[i:], depth)
                   for i in range(1, len(rest)) if rest.startswith(literals[1], i))

    return lambda text: produced(text, 5)


def checkmessages(name, messages):
    texts = [text for po in LANGUAGE[name][1] for text in catalogue(po)]
    message = composes(texts)
    for quoted in messages:
        line = quoted.removeprefix("wavestars: ")
        if line.endswith((": ", "：")):  # the start of a line, as "wavestars: warning: ./Alarm02.wav: "
            line += "x"
        if not (message(line) or message(line.removeprefix("./Alarm02.wav: "))):
            fail(f"{name} quotes {quoted!r}, which is not a message of the program in its language")


def checkquoted(name, quoted):
    """A README's plot excerpt and summary, and its quoted error lines, are
    what the program prints."""
    locale = LANGUAGE[name][0]
    plot = drawn(sample())
    for block in quoted:
        if block[0].startswith("wavestars: "):
            result = run("wavestars", cwd=WORLD.folder(f"quoted-{name}"), env=WORLD.inlocale(locale), ok=(1,))
            if result.stderr.decode() != "\n".join(block) + "\n":
                fail(f"{name} quotes\n" + "\n".join(block) + f"\nbut under {locale} the program says\n" +
                     result.stderr.decode())
            continue
        summary = block[-8:]
        if plot[-8:] != summary:
            fail(f"{name}: the quoted summary is not the sample's:\n" + "\n".join(plot[-8:]))
        rows = block[:-8]
        if not any(plot[i:i + len(rows)] == rows for i in range(len(plot))):
            fail(f"{name}: the quoted rows are not a run of the sample's rows")


def main():
    global WORLD
    docs = readdocs()
    checkknown(docs)
    for name, (_, _, messages) in docs.items():
        checkmessages(name, messages)
    if sys.argv[1:] == ["--read"]:  # only read the docs: a quick look after editing them
        return
    start = sys.argv[2] if sys.argv[1:2] == ["--from"] else None  # go on from a command, after a fix
    WORLD = World()
    before = run("dpkg-query -W -f '${Package} ${Version}\\n'").stdout
    try:
        for command, _, check in COMMANDS:
            if command == start:
                start = None
            if start is not None and check is not aptinstall:
                continue
            print(f"== {command}", flush=True)
            check(command)
            if check is aptinstall:
                checkfloor()
                for name in READMES:
                    checkquoted(name, docs[name][1])
    finally:
        run("DEBIAN_FRONTEND=noninteractive apt-get purge -y wavestars", ok=(0, 100))
        shutil.rmtree(WORLD.scratch, ignore_errors=True)
    if run("dpkg-query -W -f '${Package} ${Version}\\n'").stdout != before:
        fail("the machine's packages differ after the package was purged")


if __name__ == "__main__":
    main()
