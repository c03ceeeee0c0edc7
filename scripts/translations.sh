#!/usr/bin/env bash
# The catalogues in po/, one PO file a language, shared by every platform.
#   update: makes the template po/fieldline.pot from every text that is
#           translated (the page's texts, the menu entry, the AppStream
#           metadata, the manual page) and merges it into each PO file;
#   check:  fails on an untranslated or fuzzy message, a file msgfmt
#           rejects, a placeholder or markup that differs from the English,
#           or a message the sources no longer use.
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

# Every message whose translation does not carry the same placeholders,
# configure-time names and manual-page font and character escapes as its
# English, from the catalogue $1 (one message a line once unwrapped).
markup_differs() {
  msgcat --no-wrap "$1" | awk '
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
    /^msgid "/ { id = substr($0, 8, length($0) - 8) }
    /^msgstr "/ { text = substr($0, 9, length($0) - 9)
                  if (id != "" && text != "" && markup(id) != markup(text)) print id " => " text }'
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
    done
    [ "$failures" -eq 0 ] && echo "translations: $(find po -name '*.po' | wc -l) catalogues, every message translated and sound"
    [ "$failures" -eq 0 ]
    ;;
  *)
    echo "usage: $0 update|check" >&2
    exit 2
    ;;
esac
