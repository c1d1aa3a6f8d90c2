# Builds the map viewer page into a C++ source: the page template with its styles and script
# put in place of the lines "/* viewer.css */" and "/* viewer.js */", as one byte array (a
# string literal would exceed the length some compilers allow).
# Usage: cmake -DSOURCE_DIR=<src/inspect/viewer> -DOUTPUT=<file.cpp> -P EmbedViewer.cmake
file(READ ${SOURCE_DIR}/viewer.html page)
file(READ ${SOURCE_DIR}/viewer.css css)
file(READ ${SOURCE_DIR}/viewer.js js)
string(REPLACE "/* viewer.css */" "${css}" page "${page}")
string(REPLACE "/* viewer.js */" "${js}" page "${page}")
string(HEX "${page}" hex)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)"
       "\\1\n" bytes "${bytes}")
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
file(WRITE ${OUTPUT}
     "// Generated from src/inspect/viewer by cmake/EmbedViewer.cmake; do not edit.\n"
     "#include \"inspect/ViewPage.h\"\n\n"
     "namespace quarnel {\n\n"
     "static const unsigned char kPage[${size}] = {\n${bytes}};\n\n"
     "std::string_view ViewerTemplate() {\n"
     "  return {reinterpret_cast<const char*>(kPage), sizeof kPage};\n"
     "}\n\n"
     "} // namespace quarnel\n")
