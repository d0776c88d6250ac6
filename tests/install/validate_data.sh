#!/usr/bin/env bash
# Validates one of the desktop files with the desktop's own tools.
# usage: validate_data.sh desktop|metainfo|mime|man DATA_DIR
. "$(dirname "$0")/common.sh"
kind=$1 data=$2
case $kind in
  desktop)
    need desktop-file-validate
    out=$(desktop-file-validate "$data/korrin.desktop" 2>&1) || fail "$out"
    # Hints are not failures to the validator, but each one is a fault here.
    [[ -z $out ]] || fail "$out"
    grep -qx 'Exec=korrin %f' "$data/korrin.desktop" || fail "the entry does not hand the file to korrin"
    ;;
  metainfo)
    need appstreamcli
    appstreamcli validate --no-net --pedantic "$data/com.halvane.korrin.metainfo.xml" || fail "metainfo is not valid"
    ;;
  mime)
    need xmllint update-mime-database
    xmllint --noout "$data/korrin-mime.xml" || fail "the mime file is not well-formed"
    # The database compiler reads the file as the desktop does: it must take
    # it without a word and yield both types with their names and magic.
    make_world
    db="$XDG_DATA_HOME/mime"
    mkdir -p "$db/packages"
    cp "$data/korrin-mime.xml" "$db/packages/korrin.xml"
    out=$(update-mime-database "$db" 2>&1) || fail "update-mime-database: $out"
    [[ -z $out ]] || fail "update-mime-database: $out"
    for glob in 'application/x-qwk-packet:\*\.qwk' 'application/x-qwk-packet:\*\.qw?' 'application/x-qwk-reply:\*\.rep'; do
      grep -q ":$glob$" "$db/globs2" || fail "globs2 lacks $glob"
    done
    grep -qx 'application/x-qwk-packet application/zip' "$db/subclasses" || fail "packets are not zip files"
    grep -q 'x-qwk-packet' "$db/magic" || fail "no magic for packets"
    ;;
  man)
    need groff
    for page in korrin.1 korrin-tool.1; do
      out=$(groff -man -ww -z -Tutf8 "$data/$page" 2>&1) || fail "$page: $out"
      [[ -z $out ]] || fail "$page: $out"
    done
    ;;
  *) fail "unknown kind $kind" ;;
esac
echo "$kind: valid"
