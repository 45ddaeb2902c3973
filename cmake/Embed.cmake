# lumbrix_embed(INPUT SYMBOL OUTVAR): a generated C++ source defining
# lumbrix::SYMBOL as a string_view of INPUT's bytes; its path goes in OUTVAR.
function(lumbrix_embed input symbol outvar)
  get_filename_component(stem ${input} NAME_WE)
  set(source ${CMAKE_CURRENT_BINARY_DIR}/${symbol}.cpp)
  add_custom_command(
    OUTPUT ${source}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${source} -DSYMBOL=${symbol} -DNAMESPACE=lumbrix
            -P ${PROJECT_SOURCE_DIR}/cmake/EmbedText.cmake
    DEPENDS ${input} ${PROJECT_SOURCE_DIR}/cmake/EmbedText.cmake
    COMMENT "Embedding ${stem}")
  set(${outvar} ${source} PARENT_SCOPE)
endfunction()

# lumbrix_generate(TOOL OUTPUT): OUTPUT made by running the build's TOOL.
function(lumbrix_generate tool output)
  add_custom_command(OUTPUT ${output} COMMAND ${tool} ${output} DEPENDS ${tool} COMMENT "Making ${output} with ${tool}")
endfunction()
