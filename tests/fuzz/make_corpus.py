#!/usr/bin/env python3
"""Writes the seed corpora under tests/fuzz/corpus/: a few real examples of each format, laid
out the way each target reads its input (FuzzedDataProvider: strings from the front, with a
backslash doubled and "\\;" ending one; flags and numbers from the back). Run again only when
a target changes how it reads its input; the seeds are kept in the repository."""

import os
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
CORPUS = os.path.join(HERE, "corpus")
SEP = "=" * 74


def text(value):
    """One string read by ConsumeRandomLengthString, with its end marker."""
    return value.encode("latin-1").replace(b"\\", b"\\\\") + b"\\;"


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def crlf(lines):
    return "".join(line + "\r\n" for line in lines).encode("latin-1")


RUN_VALUES = [
    r'"C:\Program Files\Acme\helper.exe" /background',
    r"C:\Tools\a.exe -32",
    r"%SystemRoot%\system32\rundll32.exe shell32.dll,Control_RunDLL mmsys.cpl",
    r"rundll32.exe C:\Windows\system32\tool.dll,Start now",
    r"C:\PROGRA~1\Acme\Long Name\app.exe   two  blanks",
    r'"%ProgramFiles%\Vendor\updater.exe"',
    r"%windir%\explorer.exe %appdata%\x.txt",
    r"C:\Tools\plain",
]


def run_command():
    for i, value in enumerate(RUN_VALUES):
        write("run_command", f"value{i}", text(value) + b"\x00")


def shortcut_text():
    links = [
        (r"C:\Tools\a.exe", ""),
        (r"C:\Program Files\Acme\helper.exe", "/tray ^extra^ more"),
        (r"%windir%\system32\rundll32.exe", r"C:\Tools\tool.dll,Start"),
        (r"C:\Tools\a^b.exe", "-x"),
    ]
    for i, (target, arguments) in enumerate(links):
        write("shortcut_text", f"link{i}", text(target) + text(arguments) + b"\x01")


def version_blocks():
    """The VERSIONINFO data of the Wine fixtures, compiled by windres."""
    windres = "x86_64-w64-mingw32-windres"
    folder = os.path.join(ROOT, "tests", "wine", "fixtures_version")
    for rc in sorted(os.listdir(folder)):
        if not rc.endswith(".rc"):
            continue
        with tempfile.TemporaryDirectory() as tmp:
            res = os.path.join(tmp, "out.res")
            subprocess.run([windres, "-O", "res", os.path.join(folder, rc), res], check=True)
            data = open(res, "rb").read()
        at = 0
        while at + 8 <= len(data):
            size, header = struct.unpack_from("<II", data, at)
            # Type 16 (RT_VERSION) as an ordinal: 0xFFFF then the number.
            kind = struct.unpack_from("<HH", data, at + 8)
            if kind == (0xFFFF, 16):
                write("version_string", rc[:-3], data[at + header:at + header + size])
            at += header + size
            at = (at + 3) & ~3


def decision_entry(folder, name, arguments, kill, delete, status):
    return ["", folder, name, arguments, kill, delete, status, "", "", "", ""]


def decision_file():
    table = decision_entry(r"c:\windows", "notepad.exe", "", "N", "Y", "2")
    table += decision_entry(r"c:\program files\acme", "helper.exe", "/background", "Y", "N", "1")
    table += decision_entry(r"c:\tools", "a.exe", "-32", "N", "N", "0")
    write("decision_file", "three_entries", crlf(table) + b"\x00")
    write("decision_file", "cut_short", crlf(table[:15]) + b"\x00")
    # Flags in lower case, LF-only and lone-CR line ends: only an upper-case "Y" sets a flag.
    lower = decision_entry(r"c:\tools", "b.exe", "", "y", "y", "2")
    write("decision_file", "lower_case_flags",
          "\n".join(lower[:6]).encode() + b"\r" + "\r\n".join(lower[6:]).encode() + b"\r\n\x00")
    # One save (status 2, kill and delete) onto the three entries.
    save = text(r"C:\Tools") + text("A.EXE") + text("-32") + text("2")
    write("decision_file", "save_existing", save + crlf(table) + b"\x01\x01\x01")
    save = text(r"C:\New") + text("new.exe") + text("a\r\nb") + text("1")
    write("decision_file", "save_new", save + crlf(table) + b"\x00\x00\x01")


def backup_entry(kind, location, folder, name, arguments, command):
    return [SEP, "12/8/2026 9:30:00 AM", "8-12-2026", "9:30:0", kind, location, folder, name,
            arguments, command]


def backup_log():
    log = backup_entry("REGISTRY",
                       r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run\helper",
                       r"c:\program files\acme", "helper.exe", "/background",
                       r'"C:\Program Files\Acme\helper.exe" /background')
    log += backup_entry("SHORTCUT", r"C:\users\tester\Start Menu\Programs\Startup\a.lnk",
                        r"c:\tools", "a.exe", "", r'"C:\Tools\a.exe" ')
    fields = (text(r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run\tool") +
              text(r"c:\tools") + text("a.exe") + text("") + text(r"C:\Tools\a.exe"))
    write("backup_log", "two_entries", fields + crlf(log) + b"\x01\x01")
    write("backup_log", "damaged", fields + crlf(log[:7] + ["stray"] + log[10:]) + b"\x01\x00")
    write("backup_log", "no_file", fields + b"\x00\x01")


def record_copy_file(kind, location, exact, value_type, attributes, data):
    """A copy file as decisions/record_copy.cpp writes it, for the log entry the target uses."""
    def field(raw):
        return struct.pack("<I", len(raw)) + raw

    def wide(value):
        return field(value.encode("utf-16-le"))

    return (b"VTRLCOPY" + struct.pack("<I", 1) + wide(kind) + wide(location) +
            wide("12/8/2026 5:34:07 AM") + wide(exact) + struct.pack("<II", value_type, attributes)
            + field(data))


def record_copy():
    run = r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run\Tool"
    link = r"C:\users\tester\Start Menu\Programs\Startup\Tool.lnk"
    expand = '"%ProgramFiles%\\Mixed Case\\Tool.EXE" -Min\0'.encode("utf-16-le")
    write("record_copy", "expand_value", record_copy_file("REGISTRY", run, run, 2, 0, expand) +
          b"\x00")
    write("record_copy", "shortcut", record_copy_file("SHORTCUT", link, link, 0, 0x21,
                                                      b"L\x00\x00\x00\x01\x14\x02\x00") +
          b"\x01")
    write("record_copy", "elsewhere", record_copy_file("REGISTRY", run, run[:-4] + "Evil", 1, 0,
                                                       b"x\x00\x00\x00") + b"\x00")
    write("record_copy", "cut_short", record_copy_file("SHORTCUT", link, link, 0, 0, b"abc")[:-2] +
          b"\x01")


def hand_off():
    write("hand_off", "removal", text("notifi202612080930001") +
          text("c:\\tools\r\na.exe\r\n") + text(r"c:\tools") + text("a.exe") + b"\x00\x01")
    write("hand_off", "reminder", text("unknown202612080930002") +
          text("c:\\tools\r\nb.exe\r\n") + text(r"c:\x") + text("b.exe") + b"\x00\x00")
    write("hand_off", "traversal", text(r"notifi..\..\victim.txt") + text("x\r\ny\r\n") +
          b"\x00\x01")
    write("hand_off", "device", text("notifiNUL.txt") + text("x\r\ny\r\n") + b"\x00\x01")


def language_file():
    english = crlf(["[CHARSET]", "CHARSET=1", "[INTERFACE]", "OK=Ok", "CANCEL=Cancel",
                    "NORECORDS=No startup records found.", '; comment', 'QUOTED="  kept  "'])
    german = crlf(["[CHARSET]", "CHARSET=0", "[INTERFACE]", "OK=Ok", "CANCEL=Abbrechen"])
    write("language_file", "interface_ok", text("OK") + text(english.decode("latin-1")) + german +
          b"\x01")
    write("language_file", "charset", text("CHARSET") + text("CHARSET") +
          text(english.decode("latin-1")) + german + b"\x00")
    write("language_file", "missing", text("NORECORDS") + text(english.decode("latin-1")) +
          b"[INTERFACE]\r\n" + b"\x01")


def stored_date():
    for i, stored in enumerate(["12/8/2026 9:30:00 AM", "2/29/2024 11:59:59 PM", "31/31/1 0:0:0 XM",
                                ""]):
        write("stored_date", f"date{i}", text(stored) + bytes([i * 37 % 256] * 24))


def registry_value():
    run = r'"C:\Program Files\Acme\helper.exe" /background'.encode("utf-16-le") + b"\0\0"
    multi = "one\0two\0\0three".encode("utf-16-le")
    for name, kind, data in [("sz", 1, run), ("expand_sz", 2, run[:-2]), ("binary", 3, b"\x01\xff"),
                             ("dword", 4, b"\x2a\0\0\0"), ("multi_sz", 7, multi), ("odd", 1, b"a")]:
        # Type from the back (flag, then the number), the number text and the location in front.
        write("registry_value", name, text("42.5") + b"\0" + data +
              struct.pack("<I", kind)[::-1] + b"\x01")


def newsletter():
    fields = text("Anna") + text("Berg") + text("anna.berg@example.org")
    write("newsletter", "okay", fields + b"[OKAY]\r\n" + b"\x01\x00")
    write("newsletter", "already", fields + b"[ALREADY-SUBSCRIBED] [OKAY]\r\n" + b"\x01\x00")
    write("newsletter", "error", fields + b"[ERROR]\r\n" + b"\x01\x00")
    write("newsletter", "short_reply", text("A") + text("B&C") + text("a b@c") + b"[OKAY]" +
          b"\x00\x00")


def main():
    run_command()
    shortcut_text()
    version_blocks()
    decision_file()
    backup_log()
    record_copy()
    hand_off()
    language_file()
    stored_date()
    registry_value()
    newsletter()
    return 0


if __name__ == "__main__":
    sys.exit(main())
