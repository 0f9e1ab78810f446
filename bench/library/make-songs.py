#!/usr/bin/env python3
"""Writes N distinct ChordPro songs (German and English, verses, a chorus, chords) into a folder.

Usage: make-songs.py FOLDER [N]   (N defaults to 1000; the same N gives the same songs)
"""
import os
import random
import sys

WORDS = {
    "de": "Sonne Morgen Abend Wind Straße Haus Licht Himmel Meer Feld Lied Herz Nacht Weg Stern Regen "
          "wir gehen singen tragen bleiben kommen leise weit hell dunkel über durch unter immer nie "
          "der die das und mit ein eine im am zum".split(),
    "en": "sun morning evening wind road house light sky sea field song heart night way star rain "
          "we go sing carry stay come quiet far bright dark over through under always never "
          "the a and with in on to my your".split(),
}
KEYS = {
    "C": ["C", "F", "G", "Am", "Dm", "Em", "G7"],
    "G": ["G", "C", "D", "Em", "Bm", "Am", "D7"],
    "D": ["D", "G", "A", "Bm", "F#m", "Em", "A7"],
    "F": ["F", "Bb", "C", "Dm", "Gm", "Am", "C7"],
    "A": ["A", "D", "E", "F#m", "C#m", "Bm", "E7"],
}


def line(rng, lang, chords):
    words = [rng.choice(WORDS[lang]) for _ in range(rng.randint(5, 9))]
    out = []
    for w in words:
        if rng.random() < 0.35:
            w = "[" + rng.choice(chords) + "]" + w
        out.append(w)
    return " ".join(out)


def song(rng, n):
    lang = "de" if n % 2 else "en"
    key = rng.choice(sorted(KEYS))
    chords = KEYS[key]
    title = " ".join(rng.choice(WORDS[lang]).capitalize() for _ in range(3)) + f" {n}"
    out = [f"{{title: {title}}}", f"{{artist: {rng.choice(WORDS[lang]).capitalize()} Band}}", f"{{key: {key}}}", ""]
    chorus = [line(rng, lang, chords) for _ in range(4)]
    for verse in range(rng.randint(2, 4)):
        out.append("{start_of_verse}")
        out += [line(rng, lang, chords) for _ in range(4)]
        out.append("{end_of_verse}")
        out.append("")
        if verse == 0:
            out += ["{start_of_chorus}"] + chorus + ["{end_of_chorus}", ""]
        else:
            out += ["{chorus}", ""]
    return "\n".join(out) + "\n"


def main():
    folder = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(1000)
    for n in range(count):
        with open(os.path.join(folder, f"song{n:04d}.cho"), "w", encoding="utf-8") as f:
            f.write(song(rng, n))


if __name__ == "__main__":
    main()
