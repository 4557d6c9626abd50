#!/usr/bin/env python3
"""The desktop entry and the software-centre metadata pass the freedesktop
validators; their ids and the launcher agree."""
import glob
import os
import shutil
import subprocess
import sys

folder = sys.argv[1]
tools = ("desktop-file-validate", "appstreamcli")
missing = [t for t in tools if not shutil.which(t)]
if missing:
    print(f"SKIPPED: {', '.join(missing)} not installed (scripts/setup.sh installs them)")
    sys.exit(77)
desktop = glob.glob(os.path.join(folder, "*.desktop"))
metainfo = glob.glob(os.path.join(folder, "*.metainfo.xml"))
if len(desktop) != 1 or len(metainfo) != 1:
    print(f"FAIL: expected one desktop entry and one metainfo file in {folder}")
    sys.exit(1)
failed = False
for cmd in (["desktop-file-validate", desktop[0]], ["appstreamcli", "validate", "--no-net", metainfo[0]]):
    r = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    print("$ " + " ".join(cmd) + "\n" + r.stdout.strip())
    failed |= r.returncode != 0
app_id = os.path.basename(desktop[0])[:-len(".desktop")]
xml = open(metainfo[0]).read()
if f"<id>{app_id}</id>" not in xml or f'<launchable type="desktop-id">{app_id}.desktop</launchable>' not in xml:
    print(f"FAIL: the metainfo does not name the desktop entry {app_id}")
    failed = True
for needed in ("<releases>", "<content_rating", "<screenshots>"):
    if needed not in xml:
        print(f"FAIL: the metainfo lacks {needed}")
        failed = True
sys.exit(1 if failed else 0)
