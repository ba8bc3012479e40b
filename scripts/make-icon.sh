#!/usr/bin/env bash
# Draws the program's icon: a scalable picture of a letter tile with a Z on a
# board square, and PNG copies of it at 48, 128 and 256 pixels.
#
# usage: scripts/make-icon.sh OUTPUT_DIR
set -euo pipefail
out="${1:?usage: make-icon.sh OUTPUT_DIR}"
mkdir -p "$out"
svg="$out/io.github.zorble.Zorble.svg"
cat >"$svg" <<'SVG'
<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">
  <defs>
    <linearGradient id="tile" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#fbeccb"/>
      <stop offset="1" stop-color="#e6c98f"/>
    </linearGradient>
  </defs>
  <!-- four board quarters in the seat colours -->
  <rect x="8" y="8" width="120" height="120" rx="24" fill="#e03030"/>
  <rect x="128" y="8" width="120" height="120" rx="24" fill="#438dfc"/>
  <rect x="8" y="128" width="120" height="120" rx="24" fill="#30b030"/>
  <rect x="128" y="128" width="120" height="120" rx="24" fill="#f0d020"/>
  <rect x="40" y="48" width="176" height="176" rx="22" fill="#000000" opacity="0.25"/>
  <rect x="36" y="36" width="176" height="176" rx="22" fill="url(#tile)" stroke="#7a5a2a" stroke-width="6"/>
  <path d="M 82 76 H 168 V 96 L 112 174 H 170 V 194 H 78 V 174 L 134 96 H 82 Z" fill="#3a2a10"/>
</svg>
SVG
for size in 48 128 256; do
  rsvg-convert -w "$size" -h "$size" "$svg" -o "$out/io.github.zorble.Zorble-$size.png"
done
