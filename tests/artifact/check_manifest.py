#!/usr/bin/env python3
"""The program file carries its manifest as resource RT_MANIFEST 1, in
well-formed XML: it asks for administrator rights, names Windows 7, 8, 8.1
and 10/11 as supported, is DPI-aware per system and depends on the common
controls version 6.

    check_manifest.py PROGRAM.exe
"""
import sys
import xml.etree.ElementTree as ElementTree

from pe_resources import Fault, data_at, entries, language_entries, read_resources, subdirectory, run_check

RT_MANIFEST = 24
MANIFEST_ID = 1  # CREATEPROCESS_MANIFEST_RESOURCE_ID
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
SETTINGS_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
SETTINGS_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11",
}
COMMON_CONTROLS = {
    "type": "win32",
    "name": "Microsoft.Windows.Common-Controls",
    "version": "6.0.0.0",
    "publicKeyToken": "6595b64144ccf1df",
}


def manifest_text(path):
    rsrc, address = read_resources(path)
    manifests = subdirectory(rsrc, 0, RT_MANIFEST, "manifest")
    names = [name for name, _, _ in entries(rsrc, manifests)]
    if names != [MANIFEST_ID]:
        raise Fault("manifest ids are %s, expected only %d" % (names, MANIFEST_ID))
    languages = language_entries(rsrc, subdirectory(rsrc, manifests, MANIFEST_ID, "manifest 1"))
    if len(languages) != 1:
        raise Fault("manifest 1 has %d language entries, expected one" % len(languages))
    return data_at(rsrc, address, languages[0][1], "manifest 1")


def only(root, path, what):
    found = root.findall(path)
    if len(found) != 1:
        raise Fault("%d %s elements, expected one" % (len(found), what))
    return found[0]


def check(path):
    try:
        root = ElementTree.fromstring(manifest_text(path))
    except ElementTree.ParseError as error:
        raise Fault("manifest is not well-formed XML: %s" % error)
    if root.tag != ASM_V1 + "assembly" or root.get("manifestVersion") != "1.0":
        raise Fault("root element is %s, expected an asm.v1 assembly of manifest version 1.0" % root.tag)
    faults = []

    level = only(root, "%strustInfo/%ssecurity/%srequestedPrivileges/%srequestedExecutionLevel"
                 % (ASM_V3, ASM_V3, ASM_V3, ASM_V3), "requestedExecutionLevel")
    if (level.get("level"), level.get("uiAccess")) != ("requireAdministrator", "false"):
        faults.append("execution level %s, uiAccess %s; expected requireAdministrator, false"
                      % (level.get("level"), level.get("uiAccess")))

    ids = [os.get("Id", "").lower() for os in
           root.findall("%scompatibility/%sapplication/%ssupportedOS" % (COMPATIBILITY, COMPATIBILITY, COMPATIBILITY))]
    missing = [SUPPORTED_OS[i] for i in SUPPORTED_OS if i not in ids]
    unknown = [i for i in ids if i not in SUPPORTED_OS]
    if missing or unknown or len(ids) != len(SUPPORTED_OS):
        faults.append("supportedOS: missing %s, unknown %s, %d entries" % (missing, unknown, len(ids)))

    settings = "%sapplication/%swindowsSettings/" % (ASM_V3, ASM_V3)
    aware = only(root, settings + SETTINGS_2005 + "dpiAware", "dpiAware")
    if (aware.text or "").strip() != "true":
        faults.append("dpiAware is %r, expected 'true'" % aware.text)
    # Per-monitor awareness would promise a window that follows WM_DPICHANGED.
    for awareness in root.findall(settings + SETTINGS_2016 + "dpiAwareness"):
        if "permonitor" in (awareness.text or "").lower():
            faults.append("dpiAwareness %r claims per-monitor awareness" % awareness.text)

    identity = only(root, "%sdependency/%sdependentAssembly/%sassemblyIdentity" % (ASM_V1, ASM_V1, ASM_V1),
                    "dependency")
    wrong = {key: identity.get(key) for key, value in COMMON_CONTROLS.items() if identity.get(key) != value}
    if wrong:
        faults.append("dependency is not the common controls 6: %s" % wrong)

    if faults:
        raise Fault("; ".join(faults))
    print("manifest: requireAdministrator, %d supported Windows versions, dpiAware, common controls 6"
          % len(ids))


if __name__ == "__main__":
    sys.exit(run_check(check, sys.argv))
