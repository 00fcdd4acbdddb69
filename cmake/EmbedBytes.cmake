# hex_bytes(DATA OUT_VAR): the bytes of DATA as a C array body ("0x3c,0x21,..."); the build is
# configured again when DATA changes.
function(hex_bytes data out_var)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${data})
  file(READ ${data} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  set(${out_var} "${bytes}" PARENT_SCOPE)
endfunction()

# embed_bytes(DATA TEMPLATE OUT_VAR): configures TEMPLATE into the build folder with the bytes of
# DATA as a C array body (@EMBEDDED_BYTES@), so a program carries the file without needing it
# beside itself; OUT_VAR names the generated source. The build is configured again when DATA
# changes.
function(embed_bytes data template out_var)
  hex_bytes(${data} EMBEDDED_BYTES)
  get_filename_component(name ${template} NAME_WE)
  set(source ${CMAKE_CURRENT_BINARY_DIR}/${name}.cpp)
  configure_file(${template} ${source} @ONLY)
  set(${out_var} ${source} PARENT_SCOPE)
endfunction()
