# cmake -DIN=file -DOUT=file.cpp -DSYMBOL=name -P EmbedFile.cmake
# Writes a C++ source holding the file's bytes as `SYMBOL` and its length as `SYMBOL_size`.
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
if(size EQUAL 0)
  set(bytes "0")
else()
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  # Sixteen bytes to a line.
  string(REPEAT "0x[0-9a-f][0-9a-f]," 16 line)
  string(REGEX REPLACE "(${line})" "\\1\n" bytes "${bytes}")
endif()
file(WRITE ${OUT} "// Generated from ${IN}.\n#include <cstddef>\n\n"
                  "extern const unsigned char ${SYMBOL}[] = {\n${bytes}\n};\n"
                  "extern const std::size_t ${SYMBOL}_size = ${size};\n")
