#!/usr/bin/env bash
# Checks the manual page made from dvenc --help: it renders without a warning (man --warnings
# and groff -ww), and every option that --help lists is in the rendered page. Then the same
# check must fail on a copy of the page without one option's entry, so that it is known to
# look. Exit 77 (skipped) where neither man nor groff is installed.
#   check_man_page.sh DVENC MAN_PAGE WORK_DIR
set -euo pipefail
dvenc=$1 page=$2 work=$3
mkdir -p "$work"
export LC_ALL=C MANWIDTH=100

have_man=0 have_groff=0
command -v man >/dev/null && have_man=1
command -v groff >/dev/null && have_groff=1
if ((!have_man && !have_groff)); then
    echo "neither man nor groff is installed: not checked"
    exit 77
fi

# The options of --help: every name on a line of an option list ("  --size WxH", "  -h, --help").
"$dvenc" --help >"$work/help.txt"
mapfile -t options < <(grep -E '^  -' "$work/help.txt" | sed -E 's/^  ((-[^ ]+( [^ -][^ ]*)?)(, -[^ ]+( [^ -][^ ]*)?)*).*/\1/' |
    grep -oE '(^|[ ,])--?[A-Za-z][A-Za-z0-9-]*' | tr -d ' ,' | sort -u)
if ((${#options[@]} < 20)); then
    echo "FAIL: only ${#options[@]} options found in dvenc --help" >&2
    exit 1
fi

# Renders `file` and checks it; prints what is wrong and returns 1 if anything is.
check() {
    local file=$1 text=$work/rendered.txt warnings=$work/warnings.txt bad=0 option
    : >"$warnings"
    if ((have_man)); then
        man --warnings -l "$file" >"$text" 2>>"$warnings"
    fi
    if ((have_groff)); then
        groff -ww -man -Tascii -P-cbou "$file" >"$text.groff" 2>>"$warnings"
        ((have_man)) || mv "$text.groff" "$text"
    fi
    if [[ -s $warnings ]]; then
        echo "rendering $file gives warnings:"
        cat "$warnings"
        bad=1
    fi
    for option in "${options[@]}"; do
        if ! grep -qE -- "(^|[^A-Za-z0-9-])${option}([^A-Za-z0-9-]|\$)" "$text"; then
            echo "option $option of --help is not in $file"
            bad=1
        fi
    done
    return $bad
}

if ! check "$page"; then
    echo "FAIL: the manual page $page" >&2
    exit 1
fi
# The page without the entry of --date (its .TP line and the two after it).
awk '/^\.TP$/ { held = $0; next } held != "" { if ($0 ~ /-date/) { skip = 1; held = ""; next }
     print held; held = "" } skip { skip = 0; next } { print }' "$page" >"$work/without-date.1"
if check "$work/without-date.1" >/dev/null; then
    echo "FAIL: the check passed a page without --date" >&2
    exit 1
fi
echo "dvenc.1 renders without a warning and holds all ${#options[@]} options of dvenc --help"
