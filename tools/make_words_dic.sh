#!/bin/sh
# Regenerates data/words.dic and its licence from Debian's SCOWL word list.
#   apt-get install wamerican-huge && tools/make_words_dic.sh
# Keeps the lower-case a-z words of two letters or more, in binary (C locale) order, so that the
# program finds the file already sorted and loads it without a full sort.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
source=/usr/share/dict/american-english-huge
[ -r "$source" ] || { echo "Install wamerican-huge first: apt-get install wamerican-huge" >&2; exit 1; }
grep -E '^[a-z]{2,}$' "$source" | LC_ALL=C sort > "$here/data/words.dic"
cp /usr/share/doc/wamerican-huge/copyright "$here/data/words.dic.LICENSE"
echo "data/words.dic: $(wc -l < "$here/data/words.dic") words"
