# tavik_png_from_bmp(BMP PNG WHO): the picture BMP as the file PNG, for embedding. Lossless (the
# same pixels); -strip leaves out the dates and names ImageMagick would write, so every build
# gives the same bytes.
find_program(TAVIK_CONVERT convert REQUIRED)
function(tavik_png_from_bmp bmp png who)
    get_filename_component(out_dir ${png} DIRECTORY)
    get_filename_component(name ${bmp} NAME)
    add_custom_command(
        OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
        COMMAND ${TAVIK_CONVERT} ${bmp} -strip -define png:compression-level=9 PNG24:${png}
        DEPENDS ${bmp}
        COMMENT "${who}: ${name} as PNG")
endfunction()
