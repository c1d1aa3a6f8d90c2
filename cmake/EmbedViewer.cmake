# Builds the map viewer page into a C++ source: the page template with its styles and script
# put in place of the lines "/* viewer.css */" and "/* viewer scripts */", as one byte array (a
# string literal would exceed the length some compilers allow). The script is the ES modules
# SCRIPTS (comma-separated, each after those it imports) as one classic script, since a page
# opened from file:// cannot load modules: their import lines dropped and "export " taken off
# their declarations, so their top-level names must differ.
# Usage: cmake -DSOURCE_DIR=<src/viewer/page> -DSCRIPTS=<a.mjs,b.mjs> -DOUTPUT=<file.cpp>
#        -P EmbedViewer.cmake
file(READ ${SOURCE_DIR}/viewer.html page)
file(READ ${SOURCE_DIR}/viewer.css css)
set(js "'use strict';\n")
string(REPLACE "," ";" scripts "${SCRIPTS}")
foreach(script IN LISTS scripts)
  file(READ ${SOURCE_DIR}/${script} text)
  string(REGEX REPLACE "\n(import [^\n]*;\n)+" "\n" text "\n${text}")
  string(REGEX REPLACE "\nexport " "\n" text "${text}")
  if(text MATCHES "\n(import|export)[ {]")
    message(FATAL_ERROR "${script}: imports and exports must each fit on one line")
  endif()
  string(APPEND js "// ${script}${text}")
endforeach()
string(REPLACE "/* viewer.css */" "${css}" page "${page}")
string(REPLACE "/* viewer scripts */" "${js}" page "${page}")
string(HEX "${page}" hex)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)"
       "\\1\n" bytes "${bytes}")
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
file(WRITE ${OUTPUT}
     "// Generated from src/viewer/page by cmake/EmbedViewer.cmake; do not edit.\n"
     "#include \"viewer/ViewPage.h\"\n\n"
     "namespace quarnel {\n\n"
     "static const unsigned char kPage[${size}] = {\n${bytes}};\n\n"
     "std::string_view ViewerTemplate() {\n"
     "  return {reinterpret_cast<const char*>(kPage), sizeof kPage};\n"
     "}\n\n"
     "} // namespace quarnel\n")
