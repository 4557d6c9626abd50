#!/usr/bin/env python3
"""How well a speech recogniser understands the narration.

    tools/sfx/narration_wer.py assets/sfx/info.txt build/game/sfx/info.ogg

Converts the Ogg file to 16 kHz mono with sox (with repeatable dither, so
the same file always gives the same figures), lets pocketsphinx (the US
English model) write down what it hears, and prints the word error rate
against the text, for each paragraph and for the whole narration. A
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


def errors_per_word(ref, hyp):
    """Aligns the two word lists (least edits) and returns, for each word of
    the reference, the errors charged to it: a wrong or missing word, and
    any extra words heard just before it (those after the last word go to
    the last word)."""
    rows, cols = len(ref) + 1, len(hyp) + 1
    cost = [[0] * cols for _ in range(rows)]
    for i in range(rows):
        cost[i][0] = i
    for j in range(cols):
        cost[0][j] = j
    for i in range(1, rows):
        for j in range(1, cols):
            cost[i][j] = min(cost[i - 1][j] + 1, cost[i][j - 1] + 1,
                             cost[i - 1][j - 1] + (ref[i - 1] != hyp[j - 1]))
    charged = [0] * len(ref)
    i, j = len(ref), len(hyp)
    while i > 0 or j > 0:
        if i > 0 and j > 0 and cost[i][j] == cost[i - 1][j - 1] + (ref[i - 1] != hyp[j - 1]):
            charged[i - 1] += ref[i - 1] != hyp[j - 1]
            i, j = i - 1, j - 1
        elif i > 0 and cost[i][j] == cost[i - 1][j] + 1:
            charged[i - 1] += 1
            i -= 1
        else:
            charged[min(i, len(ref) - 1)] += 1
            j -= 1
    return charged


def recognise(ogg):
    with tempfile.TemporaryDirectory() as tmp:
        wav = os.path.join(tmp, "n.wav")
        subprocess.run(["sox", "-R", ogg, "-r", "16000", "-c", "1", "-b", "16", wav], check=True)
        res = subprocess.run(["pocketsphinx_continuous", "-infile", wav, "-logfn", "/dev/null"],
                             check=True, capture_output=True, text=True)
    return [w for line in res.stdout.splitlines() for w in words(line)]


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    text, ogg = sys.argv[1], sys.argv[2]
    paras = [words(p) for p in paragraphs(text)]
    ref = [w for p in paras for w in p]
    hyp = recognise(ogg)
    charged = errors_per_word(ref, hyp)
    print("heard:", " ".join(hyp))
    at = 0
    for n, p in enumerate(paras, 1):
        e = sum(charged[at:at + len(p)])
        print(f"paragraph {n}: {100.0 * e / len(p):5.1f} % ({e} of {len(p)} words)")
        at += len(p)
    e = sum(charged)
    print(f"word error rate {100.0 * e / len(ref):.1f} % ({e} of {len(ref)} words)")


if __name__ == "__main__":
    main()
