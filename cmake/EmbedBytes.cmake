# embed_bytes(DATA TEMPLATE OUT_VAR): configures TEMPLATE into the build folder with the bytes of
# DATA as a C array body (@EMBEDDED_BYTES@), so a program carries the file without needing it
# beside itself; OUT_VAR names the generated source. The build is configured again when DATA
# changes.
function(embed_bytes data template out_var)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${data})
  file(READ ${data} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," EMBEDDED_BYTES "${hex}")
  get_filename_component(name ${template} NAME_WE)
  set(source ${CMAKE_CURRENT_BINARY_DIR}/${name}.cpp)
  configure_file(${template} ${source} @ONLY)
  set(${out_var} ${source} PARENT_SCOPE)
endfunction()
