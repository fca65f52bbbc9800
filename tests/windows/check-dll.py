#!/usr/bin/env python3
"""Checks a built OrvexKSV940vti.dll as it lies on disk, without running it (so also where this
machine runs no programs of its bitness): the PE machine type and kind, the four entry points
each resolving to the function it names (the stripped DLL's export addresses looked up in the
linker's map), imports from system DLLs only, the embedded type library with the library id,
system kind and classes of the IDL, and the ProgIDs among the DLL's strings.

Usage: check-dll.py i686|x86_64 DLL MAP IDL [EXE...]   (EXEs: the test tools, machine type only)
Prints one "ok   ..." or "FAIL ..." line per check; exits 1 when any failed."""

import re
import struct
import subprocess
import sys
import uuid

ARCHS = {  # PE machine, optional header magic, type library system kind
    "i686": (0x14C, 0x10B, 1),  # IMAGE_FILE_MACHINE_I386, PE32, SYS_WIN32
    "x86_64": (0x8664, 0x20B, 3),  # IMAGE_FILE_MACHINE_AMD64, PE32+, SYS_WIN64
}
# The entry points and their stdcall argument sizes (i686 decorates the names with them).
EXPORTS = {"DllCanUnloadNow": 0, "DllGetClassObject": 12, "DllRegisterServer": 0,
           "DllUnregisterServer": 0}
SYSTEM_DLLS = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "ADVAPI32.DLL", "OLE32.DLL",
               "OLEAUT32.DLL", "MSVCRT.DLL", "WS2_32.DLL"}
TKIND_COCLASS = 5

failures = 0


def check(fOk, sWhat):
    global failures
    print(("ok   " if fOk else "FAIL ") + sWhat)
    failures += 0 if fOk else 1


def u16(data, offset):
    return struct.unpack_from("<H", data, offset)[0]


def u32(data, offset):
    return struct.unpack_from("<I", data, offset)[0]


class CPeImage:
    """The headers, sections and resource directory of a PE file."""

    def __init__(self, sPath):
        self.data = open(sPath, "rb").read()
        pe = u32(self.data, 0x3C)
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError(sPath + " is not a PE file")
        self.machine = u16(self.data, pe + 4)
        nSections = u16(self.data, pe + 6)
        self.characteristics = u16(self.data, pe + 22)
        opt = pe + 24
        self.magic = u16(self.data, opt)
        dirs = opt + (96 if self.magic == 0x10B else 112)
        self.resourceRva = u32(self.data, dirs + 2 * 8)
        table = opt + u16(self.data, pe + 20)
        self.sections = [struct.unpack_from("<8sIIII", self.data, table + 40 * i)
                         for i in range(nSections)]

    def Offset(self, lRva):
        for _, nSize, lVa, nRaw, lRaw in self.sections:
            if lVa <= lRva < lVa + max(nSize, nRaw):
                return lRaw + lRva - lVa
        raise ValueError("address %#x lies in no section" % lRva)

    def Resource(self, sType, lId):
        """The bytes of the resource of the named type and numeric id (any language)."""
        base = self.Offset(self.resourceRva)

        def entries(lDir):
            nNamed, nIds = u16(self.data, lDir + 12), u16(self.data, lDir + 14)
            for i in range(nNamed + nIds):
                lName, lTarget = struct.unpack_from("<II", self.data, lDir + 16 + 8 * i)
                if lName & 0x80000000:
                    p = base + (lName & 0x7FFFFFFF)
                    key = self.data[p + 2:p + 2 + 2 * u16(self.data, p)].decode("utf-16-le")
                else:
                    key = lName
                yield key, lTarget

        for key, lTarget in entries(base):
            if key != sType or not lTarget & 0x80000000:
                continue
            for key2, lTarget2 in entries(base + (lTarget & 0x7FFFFFFF)):
                if key2 != lId or not lTarget2 & 0x80000000:
                    continue
                for _, lLeaf in entries(base + (lTarget2 & 0x7FFFFFFF)):
                    lRva, nSize = struct.unpack_from("<II", self.data, base + lLeaf)
                    return self.data[self.Offset(lRva):self.Offset(lRva) + nSize]
        return None


def TypeLibrary(data):
    """The library id, system kind and coclasses (name -> class id) of an MSFT type library."""
    if data[:4] != b"MSFT":
        raise ValueError("not an MSFT type library")
    nVarFlags, nTypeInfos = u32(data, 0x14), u32(data, 0x20)
    segments = 0x54 + (4 if nVarFlags & 0x100 else 0) + 4 * nTypeInfos
    typeInfos, guids, names = (u32(data, segments + 16 * i) for i in (0, 5, 7))

    def guid(lPos):
        return str(uuid.UUID(bytes_le=data[guids + lPos:guids + lPos + 16]))

    def name(lPos):
        p = names + lPos
        return data[p + 12:p + 12 + (u32(data, p + 8) & 0xFF)].decode("ascii")

    classes = {}
    for i in range(nTypeInfos):
        p = typeInfos + 0x64 * i
        if u32(data, p) & 0xF == TKIND_COCLASS:
            classes[name(u32(data, p + 0x34))] = guid(u32(data, p + 0x2C))
    return guid(u32(data, 0x08)), nVarFlags & 0xF, classes


def IdlFacts(sIdl):
    """The library id, the coclasses (name -> class id) and the creatable ones, from the IDL."""
    text = open(sIdl).read()
    library = re.search(r"uuid\(([0-9a-f-]{36})\)[^\]]*\]\s*library\s", text).group(1)
    classes, creatable = {}, []
    for attrs, sName in re.findall(r"\[([^\]]*)\]\s*coclass\s+(\w+)", text):
        classes[sName] = re.search(r"uuid\(([0-9a-f-]{36})\)", attrs).group(1)
        if "noncreatable" not in attrs:
            creatable.append(sName)
    return library, classes, creatable


def MapSymbols(sMap):
    """Address -> the names the linker's map gives it."""
    symbols = {}
    for line in open(sMap, errors="replace"):
        m = re.match(r"\s+0x([0-9a-f]+)\s+(\S.*?)\s*$", line)
        if m and not m.group(2).startswith("0x"):
            symbols.setdefault(int(m.group(1), 16), []).append(m.group(2))
    return symbols


def Exports(sObjdump, sDll):
    """Export name -> virtual address, and the DLL names imported, from objdump -p."""
    text = subprocess.run([sObjdump, "-p", sDll], check=True, capture_output=True,
                          text=True).stdout
    lBase = int(re.search(r"^ImageBase\s+([0-9a-f]+)", text, re.M).group(1), 16)
    eat = {int(i): int(rva, 16) for i, rva in
           re.findall(r"^\s*\[\s*(\d+)\] \+base\[\s*\d+\]\s+([0-9a-f]+) Export RVA", text, re.M)}
    names = re.search(r"\[Ordinal/Name Pointer\] Table\n((?:\s*\[\s*\d+\] \S+\n)*)", text)
    exports = {n: lBase + eat[int(i)]
               for i, n in re.findall(r"\[\s*(\d+)\] (\S+)", names.group(1) if names else "")}
    imports = sorted(d.upper() for d in re.findall(r"DLL Name: (\S+)", text))
    return exports, imports


def main():
    sArch, sDll, sMap, sIdl, *exes = sys.argv[1:]
    lMachine, nMagic, nSysKind = ARCHS[sArch]
    image = CPeImage(sDll)
    check(image.machine == lMachine and image.magic == nMagic and image.characteristics & 0x2000,
          "%s DLL: PE machine %#x, %s, a DLL" % (sArch, image.machine,
                                                 "PE32+" if image.magic == 0x20B else "PE32"))
    for sExe in exes:
        check(CPeImage(sExe).machine == lMachine, "%s %s: PE machine %#x" % (
            sArch, sExe.rsplit("/", 1)[-1], CPeImage(sExe).machine))

    exports, imports = Exports(sArch + "-w64-mingw32-objdump", sDll)
    check(sorted(exports) == sorted(EXPORTS), "%s exports: %s" % (sArch, " ".join(exports)))
    symbols = MapSymbols(sMap)
    for sName, lAddress in sorted(exports.items()):
        sFunction = sName + ("@%d" % EXPORTS.get(sName, 0) if sArch == "i686" else "")
        there = [s for s in symbols.get(lAddress, []) if "::" not in s]
        check(there == [sFunction] and list(exports.values()).count(lAddress) == 1,
              "%s export %s is %s at %#x (the map names there: %s)" % (
                  sArch, sName, sFunction, lAddress, ", ".join(there) or "nothing"))
    check(imports and set(imports) <= SYSTEM_DLLS,
          "%s imports only system DLLs (%s)" % (sArch, " ".join(imports)))

    library, classes, creatable = IdlFacts(sIdl)
    tlb = image.Resource("TYPELIB", 1)
    check(tlb is not None, "%s type library resource TYPELIB 1" % sArch)
    if tlb is not None:
        lib, kind, tlbClasses = TypeLibrary(tlb)
        check(lib == library and kind == nSysKind, "%s type library %s, system kind %d" % (
            sArch, lib, kind))
        for sName, sId in sorted(classes.items()):
            check(tlbClasses.get(sName) == sId, "%s type library class %s {%s} (found {%s})" % (
                sArch, sName, sId, tlbClasses.get(sName)))
    for sName in creatable:
        sProgId = "OrvexKSV940vti." + sName
        check(sProgId.encode("utf-16-le") in image.data,
              "%s registers the ProgID %s" % (sArch, sProgId))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
