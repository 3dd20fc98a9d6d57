#!/usr/bin/env python3
"""Writes an application manifest without its comments and the blanks
between elements: the launcher carries it in every copy, and its size is
watched. The source keeps them for the reader."""
import re
import sys

source, target = sys.argv[1], sys.argv[2]
with open(source, encoding="utf-8") as stream:
    text = stream.read()
text = re.sub(r"<!--.*?-->", "", text, flags=re.S)
text = re.sub(r">\s+<", "><", text)
text = re.sub(r"\s+", " ", text).strip()
with open(target, "w", encoding="utf-8") as stream:
    stream.write(text)
