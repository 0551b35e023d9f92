#!/usr/bin/env bash
# morvane-links with texts CP932 lacks and with a page's control bytes, as a
# shell user meets it. Usage: links_tool_test.sh MORVANE_LINKS FIXTURES_DIR
set -u
tool=$1 fixtures=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
passed=0 failed=0
check() { # description, condition...
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
has() { grep -qF -- "$1" "$2"; }

# text | the address's escapes
cases=(
  "Crème|Cr%C3%A8me"
  "€5|%E2%82%AC5"
  "🙂|%F0%9F%99%82"
  "한국어|%ED%95%9C%EA%B5%AD%EC%96%B4"
  $'e\xCC\x81|e%CC%81'
  "日本🙂|日本%F0%9F%99%82"
)
page=$scratch/page.html
echo '<html><body>' >"$page"
for c in "${cases[@]}"; do
  text=${c%%|*}
  echo "<a href=\"$text/t.html\">$text</a>" >>"$page"
done
echo '</body></html>' >>"$page"

"$tool" "$page" http://example.test/dir/ --format tsv >"$scratch/tsv"
check "tsv exits 0" [ $? = 0 ]
"$tool" "$page" http://example.test/dir/ >"$scratch/html"
for c in "${cases[@]}"; do
  text=${c%%|*} escaped=${c#*|}
  url="http://example.test/dir/$escaped/t.html"
  check "tsv keeps $text" has "$url	$text" "$scratch/tsv"
  check "html keeps $text" has "<a href=\"$url\">$text</a>" "$scratch/html"
done

# The same page in CP932 gives the same list.
printf '<a href="\x93\xfa\x96\x7b/t.html">\x93\xfa\x96\x7b</a>' >"$scratch/cp932.html"
"$tool" "$scratch/cp932.html" http://example.test/dir/ --format tsv >"$scratch/cp932.tsv"
check "a CP932 page reads as CP932" has "http://example.test/dir/日本/t.html	日本" "$scratch/cp932.tsv"

# Control bytes of a page never reach the terminal in the html format either.
"$tool" "$fixtures/hostile_links_page.html" http://example.test/ >"$scratch/hostile"
check "hostile html exits 0" [ $? = 0 ]
check "no escape, bell or C1 byte" [ "$(LC_ALL=C tr -d -c '\033\007\013\014\034' <"$scratch/hostile" | wc -c)" = 0 ]
check "no C1 control" [ "$(grep -c $'\xC2\x9B' "$scratch/hostile")" = 0 ]
check "escape as a reference" has "c&#x1B;]0;owned&#x07;&#x1B;]52;" "$scratch/hostile"
check "C1 as a reference" has "&#x9B;31m" "$scratch/hostile"

# The index check gives one address for a page, typed or as the browser
# reports it (already escaped).
typed=$("$tool" --index-check google-index "http://example.test/Crème/한/")
reported=$("$tool" --index-check google-index "http://example.test/Cr%C3%A8me/%ED%95%9C/")
check "typed and reported addresses search alike" [ "$typed" = "$reported" ]
check "escapes are not escaped twice" [ "$typed" = "http://www.google.co.jp/search?hl=ja&ie=UTF-8&q=site%3Aexample.test/Cr%C3%A8me/%ED%95%9C/" ]
check "a lone % is escaped" [ "$("$tool" --index-check 5 "http://h/100%/")" = "http://www.bing.com/search?filt=all&q=link%3Ahttp://h/100%25/" ]

echo "$passed passed, $failed failed"
[ $failed = 0 ]
