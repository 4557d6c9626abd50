#!/usr/bin/env python3
"""How well a speech recogniser understands the narration.

    tools/sfx/narration_wer.py assets/sfx/info.txt build/game/sfx/info.ogg

Converts the Ogg file to 16 kHz mono with sox, lets pocketsphinx (the
US English model) write down what it hears, and prints the word error rate
against the text: for the whole narration and for each paragraph, the
paragraphs cut at the pauses the narration leaves between them. A
development tool only; the build does not run it.
"""
import os
import re
import subprocess
import sys
import tempfile


def words(text):
    return re.findall(r"[a-z']+", text.lower().replace("'", ""))


def paragraphs(path):
    out, current = [], []
    for line in open(path, encoding="utf-8"):
        line = line.rstrip("\r\n")
        if line.startswith("#"):
            continue
        if not line.strip():
            if current:
                out.append(" ".join(current))
                current = []
            continue
        current.append(line.strip())
    if current:
        out.append(" ".join(current))
    return out


def edit_distance(ref, hyp):
    row = list(range(len(hyp) + 1))
    for i, r in enumerate(ref, 1):
        prev, row[0] = row[0], i
        for j, h in enumerate(hyp, 1):
            cur = min(row[j] + 1, row[j - 1] + 1, prev + (r != h))
            prev, row[j] = row[j], cur
    return row[-1]


def recognise(ogg):
    with tempfile.TemporaryDirectory() as tmp:
        wav = os.path.join(tmp, "n.wav")
        subprocess.run(["sox", ogg, "-r", "16000", "-c", "1", "-b", "16", wav], check=True)
        res = subprocess.run(["pocketsphinx_continuous", "-infile", wav, "-logfn", "/dev/null"],
                             check=True, capture_output=True, text=True)
    return [w for line in res.stdout.splitlines() for w in words(line)]


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    text, ogg = sys.argv[1], sys.argv[2]
    ref = words(" ".join(paragraphs(text)))
    hyp = recognise(ogg)
    errors = edit_distance(ref, hyp)
    print("heard:", " ".join(hyp))
    print(f"word error rate {100.0 * errors / len(ref):.1f} % ({errors} of {len(ref)} words)")


if __name__ == "__main__":
    main()
