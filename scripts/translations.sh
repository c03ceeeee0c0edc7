#!/usr/bin/env bash
# The catalogues in po/, one PO file a language, shared by every platform.
#   update: makes the template po/fieldline.pot from every text that is
#           translated (the page's texts, the menu entry, the AppStream
#           metadata, the manual page) and merges it into each PO file;
#   check:  fails on an untranslated or fuzzy message, a file msgfmt
#           rejects, a placeholder or markup that differs from the English,
#           a message the sources no longer use, a Plural-Forms header that
#           is missing or means another rule than po/plural-forms.txt's for
#           its language, and, in a right-to-left catalogue, a software-centre
#           text or manual-page DESCRIPTION paragraph that begins with a
#           left-to-right word, or a manual-page coordinate pair or signed
#           number without a U+200E LEFT-TO-RIGHT MARK on each side.
# Usage: scripts/translations.sh update|check
set -euo pipefail
cd "$(dirname "$0")/.."
linux=platforms/linux
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The template, from the sources as they are, into $1.
make_template() {
  GETTEXTDATADIRS=$PWD/platforms/web xgettext --from-code=UTF-8 --package-name=fieldline \
    --copyright-holder="the fieldline authors" -o "$work/page.pot" platforms/web/texts.xml
  xgettext -L Desktop -k -kName -kGenericName -kComment -kKeywords -o "$work/desktop.pot" \
    "$linux/io.github.fieldline.desktop"
  xgettext --its=/usr/share/gettext/its/metainfo.its -o "$work/metainfo.pot" \
    "$linux/io.github.fieldline.metainfo.xml.in"
  # po4a-updatepo says, every time, that it is deprecated: shown only on failure.
  po4a-updatepo -f man -M UTF-8 -m "$linux/fieldline.1.in" -p "$work/man.pot" >"$work/po4a" 2>&1 ||
    { cat "$work/po4a" >&2; return 1; }
  msgcat --use-first "$work/page.pot" "$work/desktop.pot" "$work/metainfo.pot" "$work/man.pot" |
    sed '1s/.*/# The texts of fieldline: its page, menu entry, metadata and manual page./; /^# FIRST AUTHOR/d' >"$1"
}

# Every message of the catalogue $1, one a line: its references, po4a's type
# (TH, SH, Plain text… for the manual page), msgid and msgstr, separated by
# tabs. The texts stay escaped as in the file, where a tab is \t, so that the
# tabs here only separate.
messages() {
  msgcat --no-wrap "$1" | awk '
    function flush() {
      if (part != "") print refs "\t" type "\t" id "\t" text
      refs = type = id = text = part = ""
    }
    /^$/ { flush() }
    /^#: / { refs = refs (refs == "" ? "" : " ") substr($0, 4) }
    /^#\. type: / { type = substr($0, 10) }
    /^msgid "/ { part = "id"; id = substr($0, 8, length($0) - 8) }
    /^msgstr "/ { part = "text"; text = substr($0, 9, length($0) - 9) }
    /^"/ { if (part == "id") id = id substr($0, 2, length($0) - 2); else text = text substr($0, 2, length($0) - 2) }
    END { flush() }'
}

# Every message whose translation does not carry the same placeholders,
# configure-time names and manual-page font and character escapes as its
# English, from the catalogue $1.
markup_differs() {
  messages "$1" | awk -F '\t' '
    function markup(text,   list, n, i, j, t, sorted) {
      n = 0
      while (match(text, /\{[a-z]+\}|@[A-Z_]+@|[BIR]<|\\\\[(][a-z][a-z]|\\\\~/)) {
        list[++n] = substr(text, RSTART, RLENGTH)
        text = substr(text, RSTART + RLENGTH)
      }
      # Order does not matter: a translation may move them about.
      for (i = 2; i <= n; i++) for (j = i; j > 1 && list[j - 1] > list[j]; j--) { t = list[j]; list[j] = list[j - 1]; list[j - 1] = t }
      sorted = ""
      for (i = 1; i <= n; i++) sorted = sorted " " list[i]
      return sorted
    }
    $3 != "" && $4 != "" && markup($3) != markup($4) { print $3 " => " $4 }'
}

# nplurals, then the plural form that the rule $1 ("nplurals=N; plural=EXPR;")
# picks for each n from 0 to 1000 and a few large ones: two rules that print
# the same mean the same, however they are spaced and bracketed. Fails on a
# rule of another shape. EXPR is C, which awk reads alike for these
# operators; it is handed to awk only when made of n, digits, spaces,
# operators and brackets, so that a header can never run anything else ("/"
# is left out: C divides whole numbers, awk does not). Assigned, not printed
# straight away, so that awk cannot take its ">" for a redirection.
plural_values() {
  local shape='^ *nplurals *= *([0-9]+) *; *plural *= *([n0-9 ()?:<>=!&|%+*-]+);? *$'
  [[ $1 =~ $shape ]] || return 1
  echo "nplurals ${BASH_REMATCH[1]}"
  { seq 0 1000; printf '%s\n' 1000000 1000001 1000011 1000021 1000111; } |
    awk "{ n = \$1; form = (${BASH_REMATCH[2]}); print form }" 2>/dev/null
}

# What is wrong with the Plural-Forms header of the catalogue $1, if anything.
plural_forms_fault() {
  local lang header rule
  lang=$(basename "$1" .po)
  # The header unwrapped: a long rule is split over two lines otherwise.
  header=$(msgcat --no-wrap "$1" | sed -n '/^$/q; s/\\n"$/"/; s/^"Plural-Forms: *\(.*\)"$/\1/p')
  rule=$(sed -n "s/^$lang  *//p" po/plural-forms.txt)
  if [ -z "$header" ]; then
    echo "no Plural-Forms line in the header"
  elif [ -z "$rule" ]; then
    echo "no Plural-Forms rule for $lang in po/plural-forms.txt"
  elif ! plural_values "$header" >"$work/header-forms"; then
    echo "Plural-Forms \"$header\" is not of the shape \"nplurals=N; plural=EXPR;\" with a C expression of n"
  elif ! plural_values "$rule" | cmp -s - "$work/header-forms"; then
    echo "Plural-Forms \"$header\" differs from po/plural-forms.txt's \"$rule\""
  fi
}

# In a catalogue whose "ltr" message says "rtl" (so that a new right-to-left
# language is checked as soon as its page turns about), from its messages in
# the file $1 as messages prints them: one line a message that a
# right-to-left reader would see laid out wrongly. Software centres, and
# terminals that lay out right-to-left text, set a paragraph in the direction
# of its first letter that has one, so a paragraph that begins with a Latin
# word ("fieldline …") runs from the left. Inside right-to-left text, a
# sign and a coordinate pair's brackets and comma are turned about ("1-",
# ")100,240("), unless a U+200E mark holds each end.
rtl_faults() {
  python3 - "$1" "$linux/fieldline.1.in" <<'EOF'
import re, sys, unicodedata

records, manual = sys.argv[1], sys.argv[2]
messages = [line.rstrip('\n').split('\t') for line in open(records, encoding='utf-8')]
if ['ltr', 'rtl'] not in [message[2:] for message in messages]:
    sys.exit()

METAINFO, MANUAL = 'io.github.fieldline.metainfo.xml.in:', 'fieldline.1.in:'
LRM = '\u200e'
# po4a's font markup and roff's escapes (\~, \(mu, \fB) have no direction of their own.
MARKUP = re.compile(r'[BIR]<|\\\(..|\\f.|\\.')
# (240,\~100) in any digits, and +1, -1, −1 where the sign is not inside a word (libsdl1.2-compat).
NUMBER = re.compile(r'\(\d+[,،](?:\\~| )?\d+\)|(?<!\w)[-+−]\d+(?:[.٫]\d+)?')

# po4a numbers a paragraph by the line that ends it (the next request) and a
# heading by its own line: DESCRIPTION's paragraphs are numbered after its
# .SH line, up to and including the next .SH line.
lines = open(manual, encoding='utf-8').read().split('\n')
heading = lines.index('.SH DESCRIPTION') + 1
next_heading = next(number for number, line in enumerate(lines, 1) if number > heading and line.startswith('.SH'))

def in_description(refs, kind):
    numbers = [ref.partition(MANUAL)[2] for ref in refs.split()]
    return kind != 'SH' and numbers != [] and all(number and heading < int(number) <= next_heading for number in numbers)

def begins_left_to_right(text):
    for c in MARKUP.sub('', text):
        if unicodedata.bidirectional(c) in ('L', 'R', 'AL'):
            return unicodedata.bidirectional(c) == 'L'
    return False

def unescape(text):
    return re.sub(r'\\(.)', lambda m: {'n': '\n', 't': '\t'}.get(m[1], m[1]), text)

for refs, kind, english, translation in messages:
    translation = unescape(translation)
    if not translation:
        continue
    start = '"%s"' % (english if len(english) <= 50 else english[:50] + '…')
    # Every software-centre text is a paragraph of its own: the summary, the
    # description's paragraphs and the screenshot's caption, shown as a line
    # under it. The name stays Latin, should it ever be offered.
    paragraph = (METAINFO in refs and english != 'fieldline') or in_description(refs, kind)
    if paragraph and begins_left_to_right(translation):
        print(f'begins with a left-to-right word, not a right-to-left one: {start}')
    if MANUAL in refs:
        bare = [m[0] for m in NUMBER.finditer(translation)
                if translation[m.start() - 1:m.start()] != LRM or translation[m.end():m.end() + 1] != LRM]
        if bare:
            print(f'no U+200E LEFT-TO-RIGHT MARK on each side of {" ".join(bare)}: {start}')
EOF
}

case ${1:-} in
  update)
    make_template "$work/fieldline.pot"
    # Only a new date: keep the old file, so that nothing changes.
    if [ -f po/fieldline.pot ] &&
      diff -q <(grep -v POT-Creation-Date po/fieldline.pot) <(grep -v POT-Creation-Date "$work/fieldline.pot") >/dev/null; then
      echo "po/fieldline.pot: up to date"
    else
      cp "$work/fieldline.pot" po/fieldline.pot
      echo "po/fieldline.pot: made afresh"
    fi
    for po in po/*.po; do
      [ -e "$po" ] || continue
      msgmerge --quiet --update --backup=none --previous "$po" po/fieldline.pot
      echo "$po: $(msgfmt --statistics -o /dev/null "$po" 2>&1)"
    done
    ;;
  check)
    make_template "$work/fieldline.pot"
    failures=0
    fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
    for po in po/*.po; do
      [ -e "$po" ] || continue
      msgfmt --check -o /dev/null "$po" 2>"$work/msgfmt" || fail "$po: msgfmt --check: $(cat "$work/msgfmt")"
      msgmerge --quiet --no-fuzzy-matching -o "$work/merged.po" "$po" "$work/fieldline.pot"
      [ -z "$(msgattrib --only-fuzzy --no-obsolete "$po")" ] || fail "$po: fuzzy messages"
      untranslated=$(msgattrib --untranslated --no-obsolete "$work/merged.po" | grep -c '^msgid ' || true)
      [ "$untranslated" -le 1 ] || fail "$po: $((untranslated - 1)) messages untranslated"
      [ -z "$(msgattrib --only-obsolete "$work/merged.po")" ] || fail "$po: messages the sources no longer use"
      markup_differs "$po" >"$work/markup"
      [ ! -s "$work/markup" ] || fail "$po: placeholders or markup differ from the English: $(head -c 600 "$work/markup")"
      fault=$(plural_forms_fault "$po")
      [ -z "$fault" ] || fail "$po: $fault"
      messages "$work/merged.po" >"$work/messages"
      rtl_faults "$work/messages" >"$work/rtl"
      while IFS= read -r fault; do fail "$po: $fault"; done <"$work/rtl"
    done
    [ "$failures" -eq 0 ] && echo "translations: $(find po -name '*.po' | wc -l) catalogues, every message translated and sound"
    [ "$failures" -eq 0 ]
    ;;
  *)
    echo "usage: $0 update|check" >&2
    exit 2
    ;;
esac
