#!/usr/bin/env bash
# Makes codec samples with tools other than ours (ImageMagick, netpbm) and PNG
# files shipped by Debian packages, each with a reference decoding (PAM/PNM by
# netpbm or ImageMagick).
#
#   make_codec_samples.sh <output folder>
#
# Writes <output folder>/manifest.txt, one sample a line:
#   <codec> <sample file> <reference file> <compare> <frame>
# compare: rgb      colours must be equal
#          rgba     transparency must agree (alpha 0 in the reference: transparent;
#                   partial alpha: equal), colours must be equal where visible
#          rgb1     colours may differ by 1 (compositing rounds differently)
set -euo pipefail

out=${1:?usage: make_codec_samples.sh <output folder>}
mkdir -p "$out"
cd "$out"
: > manifest.txt

add() { echo "$1 $2 $3 $4 ${5:-0}" >> manifest.txt; }

# ---- sources: a chart-like picture and a photo-like one, odd sizes on purpose
convert -size 61x37 xc:white \
  -stroke '#202020' -draw 'line 0,30 60,4' -stroke none \
  -fill '#d02020' -draw 'rectangle 8,9 19,27' \
  -fill '#2080ff' -draw 'circle 44,18 51,22' \
  -fill '#20a040' -draw 'rectangle 24,2 30,34' chart.ppm
convert -size 61x37 -seed 11 plasma:fractal -depth 8 photo.ppm
convert -size 61x37 -seed 5 plasma:fractal -depth 8 photo2.ppm
convert -size 61x37 -seed 9 plasma:fractal -depth 8 photo3.ppm
convert chart.ppm -transparent white -depth 8 chart_alpha.pam
convert -size 61x37 gradient:black-white -depth 8 -colorspace gray gray.pgm
convert photo.ppm -monochrome -depth 1 mono.pbm

# ---- GIF
convert photo.ppm -colors 256 gif_im_256.gif
convert photo.ppm -colors 16 gif_im_16.gif
convert chart.ppm -monochrome gif_im_2.gif
convert photo.ppm -colors 64 -interlace GIF gif_im_interlace.gif
convert chart.ppm -transparent white gif_im_trans.gif
pnmquant 256 photo.ppm 2>/dev/null | ppmtogif 2>/dev/null > gif_nb_256.gif
pnmquant 256 photo.ppm 2>/dev/null | ppmtogif -interlace 2>/dev/null > gif_nb_interlace.gif
pnmquant 8 photo.ppm 2>/dev/null | ppmtogif -sort 2>/dev/null > gif_nb_8.gif
ppmtogif -transparent=rgb:ff/ff/ff chart.ppm 2>/dev/null > gif_nb_trans.gif
pnmquant 4 gray.pgm 2>/dev/null | ppmtogif 2>/dev/null > gif_nb_gray4.gif
for f in gif_im_256 gif_im_16 gif_im_2 gif_im_interlace gif_im_trans gif_nb_256 gif_nb_interlace gif_nb_8 gif_nb_trans gif_nb_gray4; do
  giftopnm "$f.gif" 2>/dev/null > "$f.ref.pnm"
  add gif "$f.gif" "$f.ref.pnm" rgb
done
# Three full frames: frame n decodes to frame n.
convert -delay 10 photo.ppm photo2.ppm photo3.ppm -colors 128 -loop 0 gif_im_anim.gif
for n in 0 1 2; do
  convert "gif_im_anim.gif[$n]" ppm:gif_im_anim.$n.ref.pnm
  add gif gif_im_anim.gif gif_im_anim.$n.ref.pnm rgb $n
done
# Optimised frames: smaller frames painted over what came before.
convert -delay 10 chart.ppm \( chart.ppm -fill '#ffd000' -draw 'rectangle 40,5 50,12' \) \
  \( chart.ppm -fill '#ffd000' -draw 'rectangle 40,5 50,12' -fill black -draw 'rectangle 2,2 5,5' \) \
  -layers OptimizeFrame gif_im_opt.gif
for n in 1 2; do
  convert gif_im_opt.gif -coalesce "ppm:gif_im_opt.coalesced.%d.pnm"
  add gif gif_im_opt.gif "gif_im_opt.coalesced.$n.pnm" rgb $n
done

# ---- PNG made by other tools
convert photo.ppm -colors 200 PNG8:png_im_pal8.png
convert photo.ppm -colors 12 -define png:bit-depth=4 -define png:color-type=3 png_im_pal4.png
convert photo.ppm PNG24:png_im_rgb.png
convert chart_alpha.pam PNG32:png_im_rgba.png
convert photo.ppm -depth 16 PNG48:png_im_rgb16.png
convert chart_alpha.pam -depth 16 PNG64:png_im_rgba16.png
convert gray.pgm -define png:color-type=0 -define png:bit-depth=8 png_im_gray8.png
convert gray.pgm -depth 16 -define png:color-type=0 -define png:bit-depth=16 png_im_gray16.png
convert gray.pgm -define png:color-type=0 -define png:bit-depth=1 png_im_gray1.png
convert gray.pgm -define png:color-type=0 -define png:bit-depth=2 png_im_gray2.png
convert gray.pgm -define png:color-type=0 -define png:bit-depth=4 png_im_gray4.png
convert photo.ppm -interlace PNG PNG24:png_im_interlace.png
convert photo.ppm -colors 60 -interlace PNG PNG8:png_im_pal_interlace.png
convert chart_alpha.pam -colorspace gray -depth 16 -define png:color-type=4 png_im_ga16.png
pnmtopng -interlace photo.ppm 2>/dev/null > png_nb_interlace.png
pnmtopng -compression=9 chart.ppm 2>/dev/null > png_nb_chart.png
pamtopng chart_alpha.pam > png_nb_rgba.png
for f in png_im_pal8 png_im_pal4 png_im_rgb png_im_rgb16 png_im_gray8 png_im_gray16 png_im_gray1 png_im_gray2 \
         png_im_gray4 png_im_interlace png_im_pal_interlace png_nb_interlace png_nb_chart; do
  pngtopam "$f.png" > "$f.ref.pam"
  add png "$f.png" "$f.ref.pam" rgb
done
for f in png_im_rgba png_im_rgba16 png_im_ga16 png_nb_rgba; do
  pngtopam -alphapam "$f.png" > "$f.ref.pam"
  add png "$f.png" "$f.ref.pam" rgba
done
# Grey + alpha at 8 bits is composited on the grey 192 (no bKGD chunk here).
convert chart_alpha.pam -colorspace gray -define png:color-type=4 -define png:exclude-chunks=bKGD png_im_ga8.png
pngtopam -mix -background=rgb:c0/c0/c0 png_im_ga8.png > png_im_ga8.ref.pam
add png png_im_ga8.png png_im_ga8.ref.pam rgb1

# PNG files that Debian packages ship: the first ones of each kind found.
declare -A seen=()
n=0
while IFS= read -r f; do
  [ -r "$f" ] || continue
  read -r depth ctype _ _ lace < <(od -An -tu1 -j24 -N5 "$f" 2>/dev/null) || continue
  key="$depth.$ctype.$lace"
  count=${seen[$key]:-0}
  [ "$count" -lt 2 ] || continue
  pngcheck -q "$f" >/dev/null 2>&1 || continue
  # netpbm reduces files with an sBIT chunk to their significant bits.
  grep -q sBIT "$f" && continue
  seen[$key]=$((count + 1))
  name="png_debian_$n.png"
  cp "$f" "$name"
  if [ "$ctype" = 6 ] || { [ "$ctype" = 4 ] && [ "$depth" = 16 ]; }; then
    pngtopam -alphapam "$name" > "$name.ref.pam" && add png "$name" "$name.ref.pam" rgba
  elif [ "$ctype" = 4 ] || grep -q tRNS "$name"; then
    # Composited by the decoder: on the file's bKGD colour or on grey 192.
    pngtopam -mix -background=rgb:c0/c0/c0 "$name" > "$name.ref.pam" && add png "$name" "$name.ref.pam" rgb1
  else
    pngtopam "$name" > "$name.ref.pam" && add png "$name" "$name.ref.pam" rgb
  fi
  n=$((n + 1))
  [ "$n" -lt 24 ] || break
done < <(find /usr/share -name '*.png' -size -200k 2>/dev/null | sort | head -4000)

# ---- TGA
convert photo.ppm -compress none tga_im_24.tga
convert photo.ppm -compress RLE tga_im_24rle.tga
convert chart.ppm -compress RLE tga_im_chart_rle.tga
convert photo.ppm -colors 200 -type Palette -compress none tga_im_pal.tga
convert photo.ppm -colors 200 -type Palette -compress RLE tga_im_palrle.tga
convert gray.pgm -type Grayscale -compress none tga_im_gray.tga
convert gray.pgm -type Grayscale -compress RLE tga_im_grayrle.tga
ppmtotga -rgb -norle photo.ppm 2>/dev/null > tga_nb_rgb.tga
ppmtotga -rgb chart.ppm 2>/dev/null > tga_nb_rgbrle.tga
pnmquant 100 photo.ppm 2>/dev/null | ppmtotga -cmap 2>/dev/null > tga_nb_cmaprle.tga
pnmquant 100 photo.ppm 2>/dev/null | ppmtotga -cmap -norle 2>/dev/null > tga_nb_cmap.tga
ppmtotga -mono gray.pgm 2>/dev/null > tga_nb_mono.tga
for f in tga_im_24 tga_im_24rle tga_im_chart_rle tga_im_pal tga_im_palrle tga_im_gray tga_im_grayrle \
         tga_nb_rgb tga_nb_rgbrle tga_nb_cmaprle tga_nb_cmap tga_nb_mono; do
  tgatoppm "$f.tga" 2>/dev/null > "$f.ref.pnm"
  add tga "$f.tga" "$f.ref.pnm" rgb
done
convert chart_alpha.pam -compress none tga_im_32.tga
convert chart_alpha.pam -compress RLE tga_im_32rle.tga
for f in tga_im_32 tga_im_32rle; do
  tgatoppm --alphaout="$f.alpha.pgm" "$f.tga" 2>/dev/null > "$f.color.ppm"
  pamstack "$f.color.ppm" "$f.alpha.pgm" > "$f.ref.pam"
  add tga "$f.tga" "$f.ref.pam" rgba
done

# ---- PCX
convert photo.ppm pcx_im_24.pcx
convert photo.ppm -colors 200 -type Palette pcx_im_pal.pcx
convert chart.ppm -monochrome pcx_im_bw.pcx
convert photo.ppm -colors 16 -type Palette pcx_im_16.pcx
ppmtopcx -24bit photo.ppm 2>/dev/null > pcx_nb_24.pcx
pnmquant 200 photo.ppm 2>/dev/null | ppmtopcx -8bit 2>/dev/null > pcx_nb_8.pcx
pnmquant 16 photo.ppm 2>/dev/null | ppmtopcx -planes=4 2>/dev/null > pcx_nb_planes4.pcx
pnmquant 16 photo.ppm 2>/dev/null | ppmtopcx -packed 2>/dev/null > pcx_nb_packed4.pcx
pnmquant 4 photo.ppm 2>/dev/null | ppmtopcx -packed 2>/dev/null > pcx_nb_packed2.pcx
ppmtopcx mono.pbm 2>/dev/null > pcx_nb_mono.pcx
for f in pcx_im_24 pcx_im_pal pcx_im_bw pcx_im_16 pcx_nb_24 pcx_nb_8 pcx_nb_planes4 pcx_nb_packed4 pcx_nb_packed2 pcx_nb_mono; do
  pcxtoppm "$f.pcx" 2>/dev/null > "$f.ref.pnm"
  add pcx "$f.pcx" "$f.ref.pnm" rgb
done

# ---- ICO
convert chart_alpha.pam -resize 32x32! ico_im_32.ico
convert photo.ppm -define icon:auto-resize=48,32,16 ico_im_multi.ico
for n in 0 1 2; do
  convert "ico_im_multi.ico[$n]" -depth 8 "pam:ico_im_multi.$n.ref.pam"
  add ico ico_im_multi.ico ico_im_multi.$n.ref.pam rgba $n
done
convert ico_im_32.ico -depth 8 pam:ico_im_32.ref.pam
add ico ico_im_32.ico ico_im_32.ref.pam rgba
pamscale -width=32 -height=32 photo.ppm 2>/dev/null | pnmquant 16 2>/dev/null | ppmtowinicon 2>/dev/null > ico_nb_16.ico
convert -size 16x16 pattern:checkerboard -monochrome mono16.pbm
ppmtowinicon mono16.pbm 2>/dev/null > ico_nb_mono.ico
pamscale -width=32 -height=32 photo.ppm 2>/dev/null | pnmquant 200 2>/dev/null | ppmtowinicon 2>/dev/null > ico_nb_256.ico
pamtowinicon chart_alpha.pam 2>/dev/null > ico_nb_alpha.ico
for f in ico_nb_16 ico_nb_mono ico_nb_256 ico_nb_alpha; do
  winicontopam "$f.ico" 2>/dev/null > "$f.ref.pam"
  add ico "$f.ico" "$f.ref.pam" rgba
done

# ---- WBMP
pbmtowbmp mono.pbm > wbmp_nb_mono.wbmp
convert chart.ppm -monochrome wbmp_im_chart.wbmp
convert -size 300x7 xc:white -fill black -draw 'rectangle 3,1 290,5' -monochrome wbmp_im_wide.wbmp
for f in wbmp_nb_mono wbmp_im_chart wbmp_im_wide; do
  wbmptopbm "$f.wbmp" 2>/dev/null > "$f.ref.pnm"
  add wbmp "$f.wbmp" "$f.ref.pnm" rgb
done

echo "samples: $(wc -l < manifest.txt)"
