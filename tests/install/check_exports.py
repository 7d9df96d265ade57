#!/usr/bin/env python3
"""Checks that each of our shared libraries exports only what its headers mark with an export
macro (classes, structs and functions), besides easylogging++, whose classes come with the
shared log library.

    check_exports.py SOURCE_DIR PROGRAM_DIR LIBRARY...
"""
import pathlib
import re
import subprocess
import sys

SOURCE_FOLDERS = {
    "ZtShareLog": "sharelog",
    "ZtConfig": "config",
    "ZtHeicDecoder": "heicdecoder",
    "ZtHeicAPI": "engine",
    "ZtJsonParse": "jsonparse",
    "ZtHttpServer": "httpserver",
    "ZtCommon": "common",
    "ZtWidgetKit": "widgetkit",
    "PixvueResources": "converter/resources",
    "QFaultPostResources": "bugreport/resources",
}
LINKER_SYMBOLS = {"_edata", "_end", "__bss_start", "_init", "_fini"}
# Vague linkage (vtables, typeinfo, template instances): emitted wherever a header is used.
# Unique symbols ("u") are the inline variables of headers and the statics of inline functions.
VAGUE_TYPES = {"V", "W", "v", "w"}
UNIQUE_TYPE = "u"
# easylogging++ is compiled into the shared log library with default visibility: its template
# instances go with it.
LOG_LIBRARY = "ZtShareLog"
PREFIXES = ("vtable for ", "typeinfo for ", "typeinfo name for ", "guard variable for ",
            "non-virtual thunk to ", "virtual thunk to ", "VTT for ")
MACRO = r"\b[A-Z][A-Z_]*_EXPORT\b"


def exported_names(folder):
    names = set()
    for header in sorted(folder.glob("*.h")):
        for line in header.read_text(encoding="utf-8").splitlines():
            if line.lstrip().startswith("#") or not re.search(MACRO, line):
                continue
            declared = re.search(r"\b(?:class|struct)\s+" + MACRO + r"\s+(\w+)", line)
            if declared:
                names.add(declared.group(1))
                continue
            function = re.search(MACRO + r"[^(]*?(\w+)\s*\(", line)
            if function:
                names.add(function.group(1))
    return names


def dynamic_symbols(library):
    out = subprocess.run(["nm", "-DC", "--defined-only", str(library)], check=True,
                         capture_output=True, text=True).stdout
    for line in out.splitlines():
        parts = line.split(maxsplit=2)
        if len(parts) == 3:
            yield parts[1], parts[2]


def components(symbol):
    for prefix in PREFIXES:
        if symbol.startswith(prefix):
            symbol = symbol[len(prefix):]
    symbol = re.sub(r"\[abi:\w+\]", "", symbol)  # ABI tags
    symbol = re.sub(r"\(.*", "", symbol)          # argument list
    depth, plain = 0, ""
    for char in symbol:                          # template arguments
        depth += char == "<"
        if depth == 0:
            plain += char
        depth -= char == ">"
    return [part.strip() for part in plain.split("::")]


def check(library_name, source_dir, program_dir):
    names = exported_names(source_dir / SOURCE_FOLDERS[library_name])
    if not names:
        return [f"lib{library_name}.so: no export macro in its headers"]
    faults, used = [], set()
    for kind, symbol in dynamic_symbols(program_dir / f"lib{library_name}.so"):
        if symbol in LINKER_SYMBOLS:
            continue
        parts = components(symbol)
        if kind == UNIQUE_TYPE or (kind in VAGUE_TYPES and parts[0] in ("el", "std")):
            continue
        if library_name == LOG_LIBRARY and (parts[0] == "el" or kind in VAGUE_TYPES):
            continue
        matched = names.intersection(parts)
        if matched:
            used |= matched
        else:
            faults.append(f"lib{library_name}.so exports {kind} {symbol}")
    for name in sorted(names - used):
        faults.append(f"lib{library_name}.so does not export {name}")
    return faults


def main():
    source_dir, program_dir = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    faults = []
    for library_name in sys.argv[3:]:
        faults += check(library_name, source_dir, program_dir)
    for fault in faults:
        print(fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
