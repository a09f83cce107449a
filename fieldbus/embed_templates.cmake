# Writes OUTPUT, a C++ file holding each template of TEMPLATES (pairs of a variable
# name and a file) as a byte array. Line ends become CR LF, the description files'
# own, whatever the checkout made of them.
#   cmake -DOUTPUT=<file.cpp> "-DTEMPLATES=<name>;<file>;..." -P embed_templates.cmake
set(text "// Generated from fieldbus/templates by fieldbus/embed_templates.cmake.\n")
string(APPEND text "#include \"fieldbus/template_texts.h\"\n\nnamespace {\n")
set(definitions "")
list(LENGTH TEMPLATES count)
math(EXPR last "${count} - 1")
foreach(index RANGE 0 ${last} 2)
  math(EXPR fileIndex "${index} + 1")
  list(GET TEMPLATES ${index} name)
  list(GET TEMPLATES ${fileIndex} file)
  file(READ "${file}" hex HEX)
  string(REGEX REPLACE "(..)" "'\\\\x\\1'," bytes "${hex}")
  string(REPLACE "'\\x0d'," "" bytes "${bytes}")
  string(REPLACE "'\\x0a'," "'\\x0d','\\x0a',\n" bytes "${bytes}")
  string(APPEND text "const char ${name}Bytes[] = {\n${bytes}};\n")
  string(APPEND definitions "const std::string_view ${name}(${name}Bytes, sizeof ${name}Bytes);\n")
endforeach()
string(APPEND text "\n}  // namespace\n\n${definitions}")
file(WRITE "${OUTPUT}" "${text}")
