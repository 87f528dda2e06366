#!/usr/bin/env bash
# Makes the user guide of the release zip: the README's "Using tallo" and
# "The back office" sections as one HTML file, its pictures
# (docs/*.png) inside it.
#   scripts/user-guide.sh README.md OUT.html [VERSION]
source "$(dirname "$0")/common.sh"
readme="$1"
out="$2"
version="${3:-}"
docs="$(cd "$(dirname "$readme")" && pwd)"

# The sections, each from its heading to the next heading of the same level.
section=$(awk '/^## /{inside = ($0 == "## Using tallo" || $0 == "## The back office")} inside' "$readme")
for heading in "## Using tallo" "## The back office"; do
  grep -qxF "$heading" <<<"$section" || { echo "user-guide.sh: no \"$heading\" in $readme" >&2; exit 1; }
done
body=$(cmark-gfm --extension table <<<"$section")

# Each picture goes in as a data URI, so the guide is one self-contained file.
while IFS= read -r picture; do
  [ -f "$docs/$picture" ] || { echo "user-guide.sh: $picture is missing" >&2; exit 1; }
  data=$(base64 -w0 "$docs/$picture")
  body=${body//src=\"$picture\"/src=\"data:image/png;base64,$data\"}
done < <(grep -o 'src="docs/[^"]*\.png"' <<<"$body" | sed 's/^src="//; s/"$//' | sort -u)

title="tallo${version:+ $version}: user guide"
cat >"$out" <<HTML
<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>$title</title>
<style>
body { font-family: sans-serif; max-width: 46em; margin: 2em auto; padding: 0 1em; line-height: 1.45; color: #222; }
img { display: block; margin: 0.6em 0; border: 1px solid #ccc; }
table { border-collapse: collapse; }
td, th { border: 1px solid #ccc; padding: 0.2em 0.6em; text-align: left; vertical-align: top; }
code { background: #f3f3f3; padding: 0 0.2em; }
</style>
</head>
<body>
$body
</body>
</html>
HTML
