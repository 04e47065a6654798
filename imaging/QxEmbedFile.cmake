# Script mode: writes OUT, a C++ source holding FILES as byte arrays and the
# resource module MODULE that lists them.
set(body "// Generated at build time; do not edit.\n#include \"imaging/QxResource.h\"\n\nnamespace {\n")
set(entries "")
set(index 0)
foreach(f IN LISTS FILES)
  file(READ ${f} hex HEX)
  string(LENGTH "${hex}" hexlen)
  math(EXPR size "${hexlen} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  get_filename_component(name ${f} NAME)
  # A trailing zero keeps empty files valid; it is not part of the size.
  string(APPEND body "const BYTE kData${index}[] = {${bytes}0};\n")
  string(APPEND entries "    {\"${name}\", kData${index}, ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()
string(APPEND body "const QxResource kEntries[] = {\n${entries}    {nullptr, nullptr, 0}};\n}  // namespace\n\n")
string(APPEND body "extern const QxResourceModule ${MODULE};\nconst QxResourceModule ${MODULE}{kEntries, ${index}};\n")
file(WRITE ${OUT} "${body}")
