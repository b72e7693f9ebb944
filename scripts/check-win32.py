#!/usr/bin/env python3
"""Static checks of the 32-bit Windows build, which these machines cannot run.

  check-win32.py --x86 build/win32/out --x64 build/win64/out [--setup SETUP.exe]

For every shipped binary of the x86 tree:
  - it is an x86 image (pei-i386) and its x64 counterpart an x64 image;
  - a DLL exports exactly the undecorated names its .def file lists (x86
    __stdcall names are decorated "_Name@N" unless the .def and the linker undo
    it; callers look the plain names up), the same names as the x64 build;
  - every function it imports is one that an x64 binary of the product also
    imports from the same DLL (or its x64 name, as GetWindowLongPtrW for
    GetWindowLongW): the x64 build runs under Wine set to Windows 7, so those
    exist there; a short list of x86 start-up imports of mingw-w64 that exist in
    every Windows NT is accepted; nothing is imported from the compiler's own
    DLLs (the programs are linked statically);
  - the program's manifest asks for x86 common controls.
With --setup, the x86 setup is unpacked with 7z and must hold the shipped files,
each an x86 image. Prints one line per finding; exit status 1 when any fails.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Shipped binaries and the .def file that names each DLL's exports.
SHIPPED = {
    "KESTRO Antivirus.exe": None,
    "KESTROEngine.dll": "engine/KESTROEngine.def",
    "KESTROGui.dll": "outside/KESTROGui/KESTROGui.def",
    "KESTROInet.dll": "outside/KESTROInet/KESTROInet.def",
    "KESTROKeyboard.dll": "keyboard/KESTROKeyboard.def",
    "KESTROExtc.dll": "shellext/KESTROExtc.def",
    "RARExtract.dll": "outside/RARExtract/RARExtract.def",
}
SETUP_FILES = list(SHIPPED) + ["DB_0x.avn", "DB_1x.avn", "DB_2x.avn", "Sound/detected.wav", "Sound/finished.wav"]
# x86 names whose x64 build imports another name for the same function: the
# pointer-sized window values and the 64-bit time functions of msvcrt.
X64_NAME_OF = {
    "GetWindowLongW": "GetWindowLongPtrW", "SetWindowLongW": "SetWindowLongPtrW",
    "_wfindfirst": "_wfindfirst64", "_wfindnext": "_wfindnext64", "_wutime": "_wutime64",
    "localtime": "_localtime64", "mktime": "_mktime64", "time": "_time64",
    "_iob": "__iob_func", "__mb_cur_max": "___mb_cur_max_func", "_setjmp3": "_setjmp",
}
# What the x86 start-up code of mingw-w64 imports and the x64 one does not; all
# of these are in kernel32.dll and msvcrt.dll of every Windows NT.
X86_RUNTIME = {("kernel32.dll", "LoadLibraryA"), ("msvcrt.dll", "__p__commode"), ("msvcrt.dll", "__p__fmode"),
               ("msvcrt.dll", "__p__wcmdln"), ("msvcrt.dll", "atoi")}
COMPILER_DLLS = re.compile(r"^(libstdc\+\+|libgcc|libwinpthread)", re.I)

OBJDUMP = {"x86": "i686-w64-mingw32-objdump", "x64": "x86_64-w64-mingw32-objdump"}
FORMAT = {"x86": "pei-i386", "x64": "pei-x86-64"}

failures = []


def fail(message):
    failures.append(message)
    print("FAIL " + message)


def objdump(arch, path, flag):
    return subprocess.run([OBJDUMP[arch], flag, path], check=True, capture_output=True, text=True).stdout


def file_format(arch, path):
    match = re.search(r"file format (\S+)", objdump(arch, path, "-f"))
    return match.group(1) if match else "?"


def exports(arch, path):
    text = objdump(arch, path, "-p")
    block = text.split("[Ordinal/Name Pointer] Table", 1)
    if len(block) < 2:
        return set()
    names = set()
    for line in block[1].splitlines()[1:]:
        match = re.match(r"\s*\[\s*\d+\]\s+(\S+)", line)
        if not match:
            break
        names.add(match.group(1))
    return names


def imports(arch, path):
    found = set()
    dll = None
    for line in objdump(arch, path, "-p").splitlines():
        match = re.match(r"\s*DLL Name: (\S+)", line)
        if match:
            dll = match.group(1).lower()
            continue
        if dll is None:
            continue
        if not line.strip():  # a DLL's list ends with a blank line
            dll = None
            continue
        match = re.match(r"\s*[0-9a-f]+\s+(\d+)\s+(\S+)$", line)
        if match:
            found.add((dll, match.group(2)))
    return found


def def_exports(def_file):
    names = set()
    in_exports = False
    with open(os.path.join(ROOT, def_file)) as f:
        for line in f:
            word = line.split(";")[0].split()
            if not word:
                continue
            if word[0] == "EXPORTS":
                in_exports = True
            elif in_exports:
                names.add(word[0])
    return names


def check_binaries(x86_dir, x64_dir):
    x64_imports = set()
    for name in os.listdir(x64_dir):
        if name.lower().endswith((".exe", ".dll")):
            x64_imports |= imports("x64", os.path.join(x64_dir, name))
    for name, def_file in SHIPPED.items():
        before = len(failures)
        x86 = os.path.join(x86_dir, name)
        x64 = os.path.join(x64_dir, name)
        if not os.path.exists(x86):
            fail(f"{name}: missing from {x86_dir}")
            continue
        if file_format("x86", x86) != FORMAT["x86"]:
            fail(f"{name}: not an x86 image ({file_format('x86', x86)})")
        if os.path.exists(x64) and file_format("x64", x64) != FORMAT["x64"]:
            fail(f"{name}: the x64 build is not an x64 image")
        if def_file:
            wanted = def_exports(def_file)
            got = exports("x86", x86)
            if got != wanted:
                fail(f"{name}: exports {sorted(got)}, the .def lists {sorted(wanted)}")
            decorated = [n for n in got if "@" in n or n.startswith("_")]
            if decorated:
                fail(f"{name}: decorated exports {decorated}")
            if os.path.exists(x64) and exports("x64", x64) != got:
                fail(f"{name}: exports differ from the x64 build's")
        unknown = []
        for dll, function in sorted(imports("x86", x86)):
            if COMPILER_DLLS.match(dll):
                fail(f"{name}: imports the compiler's {dll} (link statically)")
            elif (dll, function) in x64_imports or (dll, function) in X86_RUNTIME:
                continue
            elif (dll, X64_NAME_OF.get(function, function)) not in x64_imports:
                unknown.append(f"{dll}!{function}")
        if unknown:
            fail(f"{name}: imports that no x64 binary (tested under Wine as Windows 7) uses: {', '.join(unknown)}")
        if len(failures) == before:
            print(f"ok   {name}: x86 image, exports and imports checked")
    with open(os.path.join(x86_dir, "KESTRO Antivirus.exe"), "rb") as f:
        program = f.read()
    if b'processorArchitecture="x86"' not in program or b'processorArchitecture="amd64"' in program:
        fail("KESTRO Antivirus.exe: its manifest does not ask for x86 components")
    else:
        print("ok   KESTRO Antivirus.exe: manifest for x86")


def check_setup(setup):
    before = len(failures)
    with tempfile.TemporaryDirectory() as unpacked:
        result = subprocess.run(["7z", "x", "-y", "-o" + unpacked, setup], capture_output=True, text=True)
        if result.returncode != 0:
            fail(f"{setup}: 7z could not unpack it: {result.stderr.strip()}")
            return
        for name in SETUP_FILES:
            path = os.path.join(unpacked, name)
            if not os.path.exists(path):
                fail(f"{os.path.basename(setup)}: does not hold {name}")
            elif name.lower().endswith((".exe", ".dll")) and file_format("x86", path) != FORMAT["x86"]:
                fail(f"{os.path.basename(setup)}: {name} is not an x86 image")
        if len(failures) == before:
            print(f"ok   {os.path.basename(setup)}: holds the x86 program files")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--x86", required=True, help="output folder of the 32-bit tree")
    parser.add_argument("--x64", required=True, help="output folder of the 64-bit tree")
    parser.add_argument("--setup", help="the x86 setup to unpack and check")
    args = parser.parse_args()
    check_binaries(args.x86, args.x64)
    if args.setup:
        check_setup(args.setup)
    if failures:
        print(f"check-win32: {len(failures)} finding(s)")
        return 1
    print("check-win32: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
