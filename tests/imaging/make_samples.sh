#!/bin/sh
# Makes BMP files with ImageMagick (convert) and netpbm in the variants they
# offer, each beside the reference decoding of the same file by those tools:
#   <name>.bmp   the file under test
#   <name>.ppm   the tool's own decoding of <name>.bmp (binary PPM, 8 bits)
#   <name>.tol   optional: allowed difference per channel (default 0)
# Usage: make_samples.sh <output folder>
set -eu
out=${1:?output folder}
mkdir -p "$out"
cd "$out"

# Reference decoders: netpbm where it reads the file, ImageMagick otherwise.
ref_netpbm() { bmptopnm "$1.bmp" 2>/dev/null | ppmtoppm > "$1.ppm"; }
ref_magick() { convert "$1.bmp" -depth 8 -alpha off ppm:"$1.ppm"; }

# A chart-like picture of odd size (row padding matters): flat areas, lines,
# text-free; and a photo-like one with gradients and noise.
convert -size 37x21 xc:'#1e2a3c' \
  -fill '#d0d0d0' -draw 'line 0,20 36,0' \
  -fill '#20c040' -draw 'rectangle 3,3 10,12' \
  -fill '#e03020' -draw 'line 0,10 36,10' \
  -fill '#ffff00' -draw 'point 36,20' \
  chart.ppm
convert -size 37x21 gradient:'#ff8000-#0040ff' -attenuate 0.6 +noise Uniform photo.ppm

# netpbm writer: every depth, Windows and OS/2 (core header) forms.
ppmtopgm chart.ppm | pgmtopbm -threshold > bw.pbm
ppmtobmp -windows -bpp=1 bw.pbm 2>/dev/null > npbm_w1.bmp && ref_netpbm npbm_w1
ppmtobmp -os2 -bpp=1 bw.pbm 2>/dev/null > npbm_o1.bmp && ref_netpbm npbm_o1
pnmquant 16 chart.ppm 2>/dev/null > q16.ppm
ppmtobmp -windows -bpp=4 q16.ppm 2>/dev/null > npbm_w4.bmp && ref_netpbm npbm_w4
ppmtobmp -os2 -bpp=4 q16.ppm 2>/dev/null > npbm_o4.bmp && ref_netpbm npbm_o4
pnmquant 256 photo.ppm 2>/dev/null > q256.ppm
ppmtobmp -windows -bpp=8 q256.ppm 2>/dev/null > npbm_w8.bmp && ref_netpbm npbm_w8
ppmtobmp -os2 -bpp=8 q256.ppm 2>/dev/null > npbm_o8.bmp && ref_netpbm npbm_o8
ppmtobmp -windows -bpp=24 photo.ppm 2>/dev/null > npbm_w24.bmp && ref_netpbm npbm_w24
ppmtobmp -os2 -bpp=24 photo.ppm 2>/dev/null > npbm_o24.bmp && ref_netpbm npbm_o24

# ImageMagick writer: the three header forms, palettes, RLE8, bit fields, alpha.
convert chart.ppm -monochrome BMP3:im3_1.bmp && ref_magick im3_1
convert chart.ppm -colors 16 -type palette BMP3:im3_4.bmp && ref_magick im3_4
convert photo.ppm -colors 256 -type palette BMP3:im3_8.bmp && ref_magick im3_8
convert photo.ppm -type truecolor BMP3:im3_24.bmp && ref_magick im3_24
convert chart.ppm -colors 200 -compress RLE BMP3:im3_rle8_chart.bmp && ref_magick im3_rle8_chart
convert photo.ppm -colors 200 -compress RLE BMP3:im3_rle8_photo.bmp && ref_magick im3_rle8_photo
convert chart.ppm -colors 16 -compress RLE BMP3:im3_rle8_16.bmp && ref_magick im3_rle8_16
# Width a multiple of 4: runs end exactly at the padded row length.
convert chart.ppm -scale 40x21! -colors 16 -compress RLE BMP3:im3_rle8_w40.bmp && ref_magick im3_rle8_w40
convert chart.ppm BMP2:im2_24.bmp && ref_magick im2_24
convert chart.ppm -colors 16 -type palette BMP2:im2_4.bmp && ref_magick im2_4
convert photo.ppm -colors 256 -type palette BMP2:im2_8.bmp && ref_magick im2_8
convert photo.ppm -type truecolor BMP:im5_24.bmp && ref_magick im5_24
convert chart.ppm -colors 16 -type palette BMP:im5_4.bmp && ref_magick im5_4
convert photo.ppm -colors 256 -type palette BMP:im5_8.bmp && ref_magick im5_8
convert photo.ppm -alpha set -channel A -fx 'i/w' +channel BMP:im5_32.bmp && ref_magick im5_32
convert photo.ppm -define bmp:subtype=RGB565 BMP:im5_565.bmp && ref_netpbm im5_565
echo 7 > im5_565.tol
convert photo.ppm -define bmp:subtype=RGB555 BMP:im5_555.bmp && ref_netpbm im5_555
echo 7 > im5_555.tol

# Top-down bitmaps: ImageMagick's bottom-up files with the rows reversed and
# the height negated; ImageMagick decodes them as the reference.
topdown() {
  python3 - "$1.bmp" "$2.bmp" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
off = struct.unpack_from('<I', data, 10)[0]
w, h = struct.unpack_from('<ii', data, 18)
bpp = struct.unpack_from('<H', data, 28)[0]
stride = ((w * bpp + 31) // 32) * 4
rows = [bytes(data[off + i * stride: off + (i + 1) * stride]) for i in range(h)]
data[off:off + stride * h] = b''.join(reversed(rows))
struct.pack_into('<i', data, 22, -h)
open(sys.argv[2], 'wb').write(data)
PY
  ref_magick "$2"
}
topdown im3_24 td_24
topdown im3_8 td_8
topdown im3_4 td_4
topdown im3_1 td_1
rm -f chart.ppm photo.ppm bw.pbm q16.ppm q256.ppm
